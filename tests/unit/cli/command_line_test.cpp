#include "cli/command_line.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

using cli::Action;
using Strings = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheRunTimesQuotingRules) {
    struct Case {
        const char* line;
        Strings args;
    };
    const Case cases[] = {
        {"Zorvane.exe", {"Zorvane.exe"}},
        {"\"C:\\Program Files\\Zorvane.exe\"  /list\t/csv  ",
         {"C:\\Program Files\\Zorvane.exe", "/list", "/csv"}},
        {"z /backup \"D:\\My Backups\"", {"z", "/backup", "D:\\My Backups"}},
        {"z a\\\\\"b c\"", {"z", "a\\b c"}},  // 2n backslashes: n, and the quote groups
        {"z a\\\"b", {"z", "a\"b"}},          // 2n+1: n and a literal quote
        {"z a\\b\\c", {"z", "a\\b\\c"}},      // backslashes not before a quote are plain
        {"z \"a\"\"b\"", {"z", "a\"b"}},      // "" inside quotes
        {"z \"\"", {"z", ""}},
        {"\"C:\\x y\\z.exe\"/list", {"C:\\x y\\z.exe", "/list"}},
    };
    // The line as GetCommandLineW gives it; these cases are ASCII, so each byte is one character.
    const auto wide = [](const std::string& s) { return std::u16string(s.begin(), s.end()); };
    for (const Case& c : cases) {
        std::vector<std::u16string> args;
        for (const std::string& a : c.args) args.push_back(wide(a));
        EXPECT_EQ(cli::SplitCommandLine(wide(c.line)), args) << c.line;
    }
}

TEST(ParseArguments, ReadsEachCommandAndItsSwitches) {
    // No switch, no command: a folder dragged onto the program or a shortcut's parameter
    // opens the window as no arguments do.
    for (const Strings& args : {Strings{}, Strings{"D:\\Drivers"}, Strings{"C:\\a b", "x"}, Strings{""}}) {
        EXPECT_FALSE(cli::IsCommand(args)) << args.size();
        const auto p = cli::ParseArguments(args);
        EXPECT_TRUE(p.error.empty()) << p.error;
        EXPECT_EQ(p.command.action, Action::Window);
    }
    EXPECT_TRUE(cli::IsCommand(Strings{"D:\\Drivers", "-"}));
    {
        const auto p = cli::ParseArguments({"/LIST", "-csv", "/Microsoft"});
        EXPECT_TRUE(p.error.empty());
        EXPECT_EQ(p.command.action, Action::List);
        EXPECT_TRUE(p.command.csv);
        EXPECT_TRUE(p.command.microsoft);
    }
    {
        const auto p =
            cli::ParseArguments({"/backup", "D:\\B", "/id", "{a}\\0000", "{b}\\0001", "/microsoft"});
        EXPECT_TRUE(p.error.empty()) << p.error;
        EXPECT_EQ(p.command.action, Action::Backup);
        EXPECT_EQ(p.command.folder, "D:\\B");
        EXPECT_EQ(p.command.ids, (Strings{"{a}\\0000", "{b}\\0001"}));
        EXPECT_FALSE(p.command.all);
    }
    {
        const auto p = cli::ParseArguments({"/backup", "D:\\B"});
        EXPECT_TRUE(p.command.all);  // every listed driver unless ids are given
    }
    {
        // cmd's "D:\B\" arrives as D:\B" : the quote was the separator.
        const auto p = cli::ParseArguments({"/restore", "D:\\B\"", "/accept"});
        EXPECT_EQ(p.command.action, Action::Restore);
        EXPECT_EQ(p.command.folder, "D:\\B\\");
        EXPECT_TRUE(p.command.accept);
    }
    EXPECT_EQ(cli::ParseArguments({"/accept"}).command.action, Action::Accept);
    EXPECT_EQ(cli::ParseArguments({"/list", "/?"}).command.action, Action::Help);
    EXPECT_EQ(cli::ParseArguments({"-h"}).command.action, Action::Help);
}

TEST(ParseArguments, SaysWhatIsWrongWithBadArguments) {
    struct Case {
        Strings args;
        const char* error;
    };
    const Case cases[] = {
        {{"/frobnicate"}, "Unknown switch: /frobnicate"},
        {{"/list", "extra"}, "Unexpected argument: extra"},
        {{"D:\\B", "/list"}, "Unexpected argument: D:\\B"},
        {{"/backup"}, "/backup needs the folder: /backup <folder>"},
        {{"/backup", "/all"}, "/backup needs the folder: /backup <folder>"},
        {{"/restore"}, "/restore needs the folder: /restore <folder>"},
        {{"/backup", "D:\\B", "/id"}, "/id needs a driver id, as the list shows it: /id <id>"},
        {{"/backup", "D:\\B", "/all", "/id", "x"}, "/all cannot be used with /id or /present."},
        {{"/list", "/backup", "D:\\B"}, "/list and /backup cannot be used together."},
        {{"/backup", "D:\\B", "/csv"}, "/csv belongs to /list."},
        {{"/restore", "D:\\B", "/microsoft"}, "/microsoft belongs to /list and /backup."},
        {{"/list", "/all"}, "/all, /id and /present belong to /backup."},
        {{"/list", "/present"}, "/all, /id and /present belong to /backup."},
        {{"/backup", "D:\\B", "/present", "/all"}, "/all cannot be used with /id or /present."},
        {{"/backup", "D:\\B", "/present", "/offline", "E:\\"},
         "/present and /offline do not go together: no device of another Windows is present."},
        {{"/csv"}, "Nothing to do: give /list, /backup, /restore, /verify, /check or /accept."},
    };
    for (const Case& c : cases) EXPECT_EQ(cli::ParseArguments(c.args).error, c.error) << c.args.front();
}

}  // namespace
}  // namespace zv
