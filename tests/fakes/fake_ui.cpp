#include "fakes/fake_ui.h"

namespace zv::fakes {

int FakeUi::MessageBox(const std::string& text, const std::string& title, Dword style) {
    int answer;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    } else {
        answer = (style & 0xF) == kMbOk ? kIdOk : kIdYes;
    }
    shown.push_back({text, title, style, answer});
    if (onMessageBox) onMessageBox(shown.back());
    return answer;
}

void FakeUi::DoEvents() {
    ++doEventsCalls;
    if (onDoEvents) onDoEvents(doEventsCalls);
}

}  // namespace zv::fakes
