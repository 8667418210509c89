#pragma once
// The error reporter: every numbered procedure hands its failures here.
#include <string>
#include <vector>

#include "platform/types.h"
#include "platform/ui.h"

namespace zv::ModError {

class Reporter {
public:
    // table: the line table to copy at the first report (686 entries).
    explicit Reporter(IUi& ui, const char* const* table = nullptr);

    void ReportError(Long number, const std::string& description, int line);

    [[nodiscard]] bool initialised() const noexcept { return m_initialised; }
    [[nodiscard]] const std::vector<short>& dontPause() const noexcept { return m_dontPause; }
    [[nodiscard]] int lastAnswer() const noexcept { return m_lastAnswer; }

private:
    IUi& m_ui;
    const char* const* m_source;
    bool m_initialised = false;
    std::vector<std::string> m_lineTable;
    std::vector<short> m_dontPause;
    int m_lastAnswer = 0;
};

[[nodiscard]] std::string BuildMessage(Long number, const std::string& description, int line,
                                       const std::string& lineText);

}  // namespace zv::ModError
