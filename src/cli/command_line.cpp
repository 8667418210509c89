#include "cli/command_line.h"

#include <algorithm>

#include "support/identity.h"
#include "support/text.h"

namespace zv::cli {
namespace {

bool IsSwitch(const std::string& a) {
    return a.size() >= 2 && (a[0] == '/' || a[0] == '-');
}

// cmd users write "D:\Backup\" for a folder; the C run time reads the \" as a quote,
// which gives D:\Backup" . A folder name cannot hold a quote, so it was the separator.
std::string FolderArgument(std::string a) {
    if (!a.empty() && a.back() == '"') a.back() = '\\';
    return a;
}

const char* NameOf(Action a) {
    switch (a) {
        case Action::List: return "/list";
        case Action::Backup: return "/backup";
        case Action::Restore: return "/restore";
        case Action::Verify: return "/verify";
        case Action::Check: return "/check";
        case Action::Accept: return "/accept";
        case Action::Help: return "/?";
        case Action::Window: break;
    }
    return "";
}

template <class Text>
std::vector<Text> Split(const Text& line) {
    std::vector<Text> args;
    std::size_t i = 0;
    const std::size_t n = line.size();
    // The program name: quotes group, backslashes are plain.
    {
        Text name;
        if (i < n && line[i] == '"') {
            ++i;
            while (i < n && line[i] != '"') name += line[i++];
            if (i < n) ++i;
        } else {
            while (i < n && line[i] != ' ' && line[i] != '\t') name += line[i++];
        }
        args.push_back(name);
    }
    for (;;) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= n) break;
        Text arg;
        bool quoted = false;
        while (i < n && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            if (line[i] == '\\') {
                std::size_t slashes = 0;
                while (i < n && line[i] == '\\') ++slashes, ++i;
                if (i < n && line[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(slashes, '\\');
                }
            } else if (line[i] == '"') {
                // "" inside quotes is a literal quote.
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

template <class Text>
bool AnyCommand(const std::vector<Text>& args) {
    return std::any_of(args.begin(), args.end(),
                       [](const Text& a) { return !a.empty() && (a[0] == '/' || a[0] == '-'); });
}

}  // namespace

std::vector<std::u16string> SplitCommandLine(const std::u16string& line) {
    return Split(line);
}
bool IsCommand(const std::vector<std::string>& args) {
    return AnyCommand(args);
}
bool IsCommand(const std::vector<std::u16string>& args) {
    return AnyCommand(args);
}

Parsed ParseArguments(const std::vector<std::string>& args) {
    Parsed p;
    Command& c = p.command;
    auto fail = [&](const std::string& why) {
        p.error = why;
        return p;
    };
    auto setAction = [&](Action a) -> bool {
        if (c.action != Action::Window && c.action != a) {
            p.error = std::string(NameOf(c.action)) + " and " + NameOf(a) + " cannot be used together.";
            return false;
        }
        c.action = a;
        return true;
    };
    // A folder dragged onto the program, or a shortcut's parameter, is no command: the
    // window opens as without arguments.
    if (!IsCommand(args)) return p;
    bool help = false, idSeen = false;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        if (!IsSwitch(a)) return fail("Unexpected argument: " + a);
        const std::string s = ToLower(a.substr(1));
        if (s == "?" || s == "h" || s == "help") {
            help = true;
        } else if (s == "list") {
            if (!setAction(Action::List)) return p;
        } else if (s == "backup" || s == "restore" || s == "verify") {
            const Action a = s == "backup"    ? Action::Backup
                             : s == "restore" ? Action::Restore
                                              : Action::Verify;
            if (!setAction(a)) return p;
            if (k + 1 >= args.size() || IsSwitch(args[k + 1]) || args[k + 1].empty())
                return fail("/" + s + " needs the folder: /" + s + " <folder>");
            c.folder = FolderArgument(args[++k]);
        } else if (s == "offline") {
            if (k + 1 >= args.size() || IsSwitch(args[k + 1]) || args[k + 1].empty())
                return fail("/offline needs the other Windows' folder: /offline <drive or Windows folder>");
            c.offline = FolderArgument(args[++k]);
        } else if (s == "check") {
            if (!setAction(Action::Check)) return p;
            // The folder is optional: without one, this PC's drivers are checked.
            if (k + 1 < args.size() && !IsSwitch(args[k + 1]) && !args[k + 1].empty())
                c.folder = FolderArgument(args[++k]);
        } else if (s == "microsoft") {
            c.microsoft = true;
        } else if (s == "csv") {
            c.csv = true;
        } else if (s == "all") {
            c.all = true;
        } else if (s == "present") {
            c.present = true;
        } else if (s == "accept") {
            c.accept = true;
        } else if (s == "id") {
            idSeen = true;
            const std::size_t before = c.ids.size();
            while (k + 1 < args.size() && !IsSwitch(args[k + 1])) c.ids.push_back(args[++k]);
            if (c.ids.size() == before) return fail("/id needs a driver id, as the list shows it: /id <id>");
        } else {
            return fail("Unknown switch: " + a);
        }
    }
    if (help) {
        c.action = Action::Help;
        return p;
    }
    if (c.action == Action::Window && c.accept) c.action = Action::Accept;
    if (c.action == Action::Window) {
        return fail("Nothing to do: give /list, /backup, /restore, /verify, /check or /accept.");
    }
    if (c.csv && c.action != Action::List) return fail("/csv belongs to /list.");
    if (!c.offline.empty() && c.action != Action::List && c.action != Action::Backup)
        return fail("/offline belongs to /list and /backup.");
    if (!c.offline.empty() && c.present)
        return fail("/present and /offline do not go together: no device of another Windows is present.");
    if (c.microsoft && c.action != Action::List && c.action != Action::Backup)
        return fail("/microsoft belongs to /list and /backup.");
    if ((c.all || idSeen || c.present) && c.action != Action::Backup)
        return fail("/all, /id and /present belong to /backup.");
    if (c.all && (idSeen || c.present)) return fail("/all cannot be used with /id or /present.");
    if (c.action == Action::Backup && !idSeen && !c.present) c.all = true;
    return p;
}

std::string UsageText(const std::string& program) {
    const std::string p = program.empty() ? kProgramFileName : program;
    return std::string(kProductName) +
           " backs up the drivers of this Windows and puts them back.\r\n"
           "\r\n"
           "  " +
           p +
           "                      opens the window\r\n"
           "  " +
           p +
           " /list [/microsoft] [/csv] [/offline <folder>]\r\n"
           "      prints the driver list: description, default, provider, id, class, INF,\r\n"
           "      version, date, the device that uses the driver and whether it is present;\r\n"
           "      /offline: of another Windows that is not running, from its registry hives\r\n"
           "      (<folder>: the root of its drive, D:\\, or its Windows folder)\r\n"
           "  " +
           p +
           " /backup <folder> [/all | /id <id> ... | /present] [/microsoft] [/offline <folder>]\r\n"
           "      backs up all listed drivers, or those of the ids, or this PC's drivers\r\n"
           "      (/present: as the list's menu selects them) into <folder>\\Zorvane;\r\n"
           "      /offline: those of another Windows, from its own disk, which is only read\r\n"
           "  " +
           p +
           " /restore <folder>\r\n"
           "      checks the backup against its report, stages every INF below <folder> into\r\n"
           "      the driver store, installs it on the devices present now, and writes\r\n"
           "      <folder>\\restore-report.csv\r\n"
           "  " +
           p +
           " /verify <folder>\r\n"
           "      checks every file of the backup in <folder> against its backup report;\r\n"
           "      writes nothing\r\n"
           "  " +
           p +
           " /check [<folder>]\r\n"
           "      tells for each of this PC's drivers, or each driver of the backup in\r\n"
           "      <folder>, whether it will load after a clean install of 64-bit Windows 11\r\n"
           "      24H2 with Secure Boot, and why; writes nothing\r\n"
           "  " +
           p +
           " /accept\r\n"
           "      records that you accept the agreement below; /backup and /restore need it\r\n"
           "  " +
           p +
           " /?\r\n"
           "      prints this text\r\n"
           "\r\n"
           "/microsoft includes the drivers that come with Windows. /accept can be given\r\n"
           "together with /backup or /restore.\r\n"
           "\r\n"
           "Exit codes: 0 all done; 1 done, but drivers failed or files were missing;\r\n"
           "2 bad arguments; 3 nothing done; 3010 (/restore) restart Windows to finish.\r\n"
           "/verify: 0 all intact; 1 damage found; 2 bad arguments; 3 no report found.\r\n"
           "/check: 0 all load; 1 some will not; 2 bad arguments; 3 no driver found.\r\n"
           "\r\n"
           "Agreement: " +
           kAgreementLine1 + "\r\n" + kAgreementLine2 + "\r\n";
}

}  // namespace zv::cli
