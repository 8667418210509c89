#pragma once
// Plain models of the main window's controls for host tests.
#include <functional>
#include <string>
#include <vector>

#include "inventory/driver_record.h"
#include "support/runtime_error.h"
#include "ui/controls.h"

namespace zv::fakes {

struct Row {
    std::string text;
    std::string sub[kDriverColumns];
    bool checked = false;
};

class FakeDriverList : public IDriverList {
public:
    void clear() override { rows.clear(); }
    void add(const std::string& text) override { rows.push_back(Row{text, {}, false}); }
    long count() const override { return static_cast<long>(rows.size()); }
    std::string text(long row) const override { return at(row).text; }
    // A column that is no sub-item is refused as the real control refuses it.
    std::string subItem(long row, int k) const override { return at(row).sub[column(k)]; }
    void setSubItem(long row, int k, const std::string& text) override { at(row).sub[column(k)] = text; }
    bool checked(long row) const override { return at(row).checked; }
    void setChecked(long row, bool on) override { at(row).checked = on; }

    // A row as the backup run reads it: description, class (sub-item 4), INF name (5).
    void addDriver(const std::string& description, const std::string& className, const std::string& inf,
                   bool ticked = true) {
        rows.push_back(Row{description, {}, ticked});
        rows.back().sub[kColClass] = className;
        rows.back().sub[kColInfPath] = inf;
    }

    std::vector<Row> rows;

private:
    static int column(int k) {
        if (k < kFirstSubItem || k > kLastSubItem) Raise(kErrSubscript);
        return k;
    }
    Row& at(long row) { return rows.at(static_cast<std::size_t>(row - 1)); }
    const Row& at(long row) const { return rows.at(static_cast<std::size_t>(row - 1)); }
};

// The list's rows as a backup reads them: each row's record made from its cells when
// this is made, the tick asked of the list when the run reaches the row.
class ListRows : public IDriverRows {
public:
    explicit ListRows(const FakeDriverList& list) : m_list(list) {
        for (const Row& r : list.rows) {
            DriverRecord d;
            d.description = r.text;
            d.classDefault = r.sub[kColDefault];
            d.provider = r.sub[kColProvider];
            d.id = r.sub[kColId];
            d.className = r.sub[kColClass];
            d.infName = r.sub[kColInfPath];
            m_records.push_back(std::move(d));
        }
    }
    long count() const override { return static_cast<long>(m_records.size()); }
    bool ticked(long row) const override { return m_list.checked(row); }
    const DriverRecord& record(long row) const override {
        return m_records.at(static_cast<std::size_t>(row - 1));
    }

private:
    const FakeDriverList& m_list;
    std::vector<DriverRecord> m_records;
};

class FakeCheckBox : public ICheckBox {
public:
    int value() const override { return ticked; }
    int ticked = 0;
};

class FakeProgressBar : public IProgressBar {
public:
    void setMax(long m) override { maxValue = m; }
    void setValue(long v) override { values.push_back(v); }
    long max() const override { return maxValue; }
    long value() const override { return values.empty() ? 0 : values.back(); }
    long maxValue = 100;
    std::vector<long> values;  // every value set, in order
};

class FakeStatusBar : public IStatusBar {
public:
    void setSimpleText(const std::string& t) override { text = t; }
    std::string simpleText() const override { return text; }
    std::string text;
};

class FakeForm : public IFormWindow {
public:
    void setMousePointer(int p) override { pointers.push_back(p); }
    int mousePointer() const override { return pointers.empty() ? 0 : pointers.back(); }
    Hwnd handle() const override { return hwnd; }
    void setCaption(const std::string& c) override { captionText = c; }
    std::string caption() const override { return captionText; }
    void setAboutItemCaption(const std::string& c) override { aboutCaption = c; }
    std::string aboutItemCaption() const override { return aboutCaption; }
    void showAbout() override { ++aboutShown; }
    void unload() override { ++unloads; }

    Hwnd hwnd = Hwnd{0x1234};
    std::vector<int> pointers;
    std::string captionText = "Zorvane";
    std::string aboutCaption = "&About Zorvane";
    int aboutShown = 0;
    int unloads = 0;
};

struct FakeControls {
    FakeForm form;
    FakeDriverList list;
    FakeCheckBox check;
    FakeProgressBar bar;
    FakeStatusBar status;
    MainControls controls{form, list, check, bar, status};
};

}  // namespace zv::fakes
