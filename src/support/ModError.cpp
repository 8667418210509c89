#include "support/ModError.h"

#include <algorithm>

#include "support/line_table.h"

namespace zv::ModError {

Reporter::Reporter(IUi& ui, const char* const* table) : m_ui(ui), m_source(table ? table : kLineTable) {}

std::string BuildMessage(Long number, const std::string& description, int line, const std::string& lineText) {
    // The description always gets its full stop, even when it already ends in one.
    return "Error Number: " + std::to_string(number) + ".\r\n" + "Error Description: " + description +
           ".\r\n" + "Error Line: " + std::to_string(line) + ".\r\n" + "Error Code: " + lineText + "\r\n" +
           "Do you wish to pause on this error again?";
}

void Reporter::ReportError(Long number, const std::string& description, int line) {
    if (!m_initialised) {
        m_dontPause.assign(1, 0);
        m_lineTable.assign(m_source, m_source + kLineTableSize);
        m_initialised = true;
    }
    if (std::find(m_dontPause.begin(), m_dontPause.end(), static_cast<short>(line)) != m_dontPause.end())
        return;
    const std::string text =
        (line >= 0 && line < kLineTableSize) ? m_lineTable[static_cast<std::size_t>(line)] : "";
    m_lastAnswer = m_ui.MessageBox(BuildMessage(number, description, line, text), "Error",
                                   kMbYesNoCancel | kMbIconQuestion | kMbDefButton1);
    if (m_lastAnswer == kIdNo) m_dontPause.push_back(static_cast<short>(line));
}

}  // namespace zv::ModError
