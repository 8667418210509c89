#include "app/StartUp.h"

#include "net/clsHTTP.h"
#include "support/guard.h"

namespace zv {

StartUpState::StartUpState() = default;
StartUpState::~StartUpState() = default;

void StartUp(Env& env, IFormWindow& form, StartUpState& /*state*/) {
    Guard(env, [&](int& erl) {
        LN(566) env.app.Appname = "Zorvane";
        LN(567) env.app.UpdateURL = "http://updates.zorvane.example/AppVersions/" + env.app.Appname + "Version.txt";
        LN(569) env.app.MainKey = "SOFTWARE\\FI";
        LN(571) env.app.CurrentVersion = "1.03";
        LN(572) form.setAboutItemCaption("About " + env.app.Appname);
    });
}

}  // namespace zv
