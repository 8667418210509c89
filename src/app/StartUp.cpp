#include "app/StartUp.h"

#include "net/clsHTTP.h"
#include "support/guard.h"
#include "support/md_Usefull.h"
#include "support/vbrt.h"
#include "support/version.h"

namespace zv {

StartUpState::StartUpState() = default;
StartUpState::~StartUpState() = default;

namespace {

// The check's client is made on first use and kept, with its session, until the program ends.
clsHTTP& CheckVersion(Env& env, StartUpState& state) {
    if (!state.CheckVersion) state.CheckVersion = std::make_unique<clsHTTP>(env);
    return *state.CheckVersion;
}

// The longest address a browser is known to take; a longer one is not offered or opened.
constexpr std::size_t kMaxAddress = 2083;

// A version file whose page address is longer than any browser takes is no offer. A
// missing address is left for the question to fail on, as it does.
bool OffersUsableAddress(const std::vector<std::string>& fields) {
    return fields.size() < 2 || fields[1].size() <= kMaxAddress;
}

}  // namespace

void StartUp(Env& env, IFormWindow& form, StartUpState& state) {
    using namespace md_Usefull;
    Guard(env, [&](int& erl) {
        std::string Data;
        int res = 0;
        LN(566) env.app.Appname = "Zorvane";
        LN(567)
        env.app.UpdateURL =
            std::string("http://") + kUpdateHost + "/AppVersions/" + env.app.Appname + "Version.txt";
        LN(569) env.app.MainKey = "SOFTWARE\\FI";
        LN(571) env.app.CurrentVersion = kProgramVersion;
        LN(572) form.setAboutItemCaption("About " + env.app.Appname);
        bool toText = true;
        // clang-format off
        LN(573) (void)CheckVersion(env, state).GetFile(env.app.UpdateURL, "", Data, toText);
        // clang-format on
        LN(574) SplitString(env, Data, ",", state.DataArray);
        LN(575)
        if (Val(state.DataArray.at(0)) > Val(env.app.CurrentVersion) &&
            OffersUsableAddress(state.DataArray)) {
            LN(576)
            state.MsgboxRes = env.os.ui.MessageBox(
                "New version is available at: " + state.DataArray.at(1) + ". Do you wish to go there now?",
                "New Version", kMbYesNoCancel | kMbIconInformation);
            LN(577) if (state.MsgboxRes == kIdYes) {
                LN(578) OpenInternet(env, form.handle(), state.DataArray.at(1), ShowOnly);
            }
            LN(579) if (state.DataArray.at(2) == "must-download") {
                LN(580) env.os.system.ExitProgram(0);
            }
        }
        LN(581)
        if (GetString(env, kHkeyCurrentUser, env.app.MainKey, env.app.Appname + "FirstTime") != "") return;
        // clang-format off
        LN(582) res = env.os.ui.MessageBox("Use this application at your own risk. Fenwright Inc is not responsible for any loss of data or any data corruption. Do you agree to this?", "Agreement", kMbYesNoCancel | kMbIconQuestion);
        // clang-format on
        LN(583) if (res == kIdYes) {
            LN(584) SaveString(env, kHkeyCurrentUser, env.app.MainKey, env.app.Appname + "FirstTime", "No");
            // clang-format off
        LN(585) } else {
            // clang-format on
            LN(586) env.os.system.ExitProgram(0);
        }
    });
}

}  // namespace zv
