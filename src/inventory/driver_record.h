#pragma once
// A driver record: one installed driver instance as the class key describes it. The
// list shows records, the backup and the command line read them; none of them reads
// a driver back from the list control's texts.
#include <string>
#include <utility>
#include <vector>

namespace zv {

struct DriverRecord {
    std::string description;   // "DriverDesc" of the instance key
    std::string classDefault;  // the class key's default value
    std::string provider;      // "ProviderName" of the instance key
    std::string id;            // class subkey name, "\", instance subkey name
    std::string className;     // "Class" of the class key
    std::string infName;       // "InfPath" of the instance key
    std::string version;       // "DriverVersion" of the instance key, as the registry holds it
    std::string date;          // "DriverDate" of the instance key, as the registry holds it
    // The device that uses the driver (a device whose driver key is this instance), if any.
    bool hasDevice = false;
    std::string device;  // its friendly name, else its description
    bool present = false;
    std::vector<std::string> extensionInfs;  // its extension drivers' INF names
    // A package of the driver store that no class-key instance uses: its folder, which the
    // backup copies whole (no numbered step runs for it). Empty for a class-key driver.
    std::string storePackage;
};

// The drivers a backup walks, in the order they are shown. The tick is asked for when the
// run reaches the row, so a tick changed while the run lets messages through still counts.
class IDriverRows {
public:
    virtual ~IDriverRows() = default;
    [[nodiscard]] virtual long count() const = 0;
    [[nodiscard]] virtual bool ticked(long row) const = 0;  // rows are 1-based
    [[nodiscard]] virtual const DriverRecord& record(long row) const = 0;
};

// Records with ticks of their own (the command line's choice).
class FixedDriverRows : public IDriverRows {
public:
    struct Row {
        DriverRecord record;
        bool ticked = false;
    };
    explicit FixedDriverRows(std::vector<Row> rows) : m_rows(std::move(rows)) {}
    long count() const override { return static_cast<long>(m_rows.size()); }
    bool ticked(long row) const override { return m_rows.at(static_cast<std::size_t>(row - 1)).ticked; }
    const DriverRecord& record(long row) const override {
        return m_rows.at(static_cast<std::size_t>(row - 1)).record;
    }

private:
    std::vector<Row> m_rows;
};

}  // namespace zv
