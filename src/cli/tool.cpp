// Parsing with CLI11 and dispatch to the command functions.
#include "cli/tool.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <functional>
#include <iostream>
#include <vector>

#include "cli/card_commands.h"
#include "cli/code_page.h"
#include "cli/demo.h"
#include "cli/design_commands.h"
#include "cli/exit_codes.h"
#include "cli/info_command.h"
#include "cli/picture_commands.h"
#include "cli/transfer_commands.h"
#include "cli/verify_command.h"
#include "platform/posix/console_messages.h"

namespace kx::cli {

namespace {

constexpr const char* kExitStatuses =
    "Exit status: 0 done; 1 ran, but a design was refused or a file operation failed (verify:\n"
    "something is wrong, or with --repair something could not be repaired);\n"
    "2 a write onto the card failed; 3 nothing was done (no card, layout check failed or\n"
    "migration refused, nothing named); 64 usage error.";

// Every argument a command may take; each command reads its own.
struct Arguments {
    std::string folder;
    std::vector<std::string> files;
    std::string file;
    std::string out;
    std::string to = ".";
    std::string newName;
    std::string size;
    std::string dir;
    std::vector<std::string> folders;
    bool repair = false;
    bool json = false;
    std::string salvage;
};

CLI::Validator FolderValidator() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            return ParseFolder(text) ? std::string() : "a folder is 0 to 11 or EmbF5 to EmbF16, not " + text;
        },
        "FOLDER");
}

CLI::Validator SizeValidator() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            return ParsePreviewSize(text) ? std::string()
                                          : "a size is WxH, 1 to 4096 pixels each, not " + text;
        },
        "WxH");
}

CLI::Validator CodePageValidator() {
    return CLI::Validator(
        [](std::string& text) -> std::string { return CardCodePage::Open(text) ? "" : UnknownCodePage(text); }, "");
}

CLI::Validator NotEmpty() {
    return CLI::Validator(
        [](std::string& text) -> std::string { return text.empty() ? "an empty name names nothing" : ""; },
        "");
}

struct Command {
    CLI::App* app;
    std::function<int()> run;
};

// A command whose first argument is a card folder.
CLI::App* FolderCommand(CLI::App& app, const char* name, const char* about, Arguments& a) {
    CLI::App* sub = app.add_subcommand(name, about);
    sub->add_option("FOLDER", a.folder, "card folder: 0 to 11, or EmbF5 to EmbF16")
        ->required()
        ->check(FolderValidator());
    return sub;
}

// A command on one design file.
CLI::App* FileCommand(CLI::App& app, const char* name, const char* about, Arguments& a) {
    CLI::App* sub = app.add_subcommand(name, about);
    sub->add_option("FILE", a.file, "design file")->required();
    return sub;
}

CLI::App* WithJson(CLI::App* command, Arguments& a, const char* what) {
    command->add_flag("--json", a.json, what);
    return command;
}

int Folder(const Arguments& a) { return ParseFolder(a.folder).value_or(0); }

std::vector<int> Folders(const Arguments& a) {
    std::vector<int> folders;
    for (const std::string& text : a.folders) folders.push_back(ParseFolder(text).value_or(0));
    return folders;
}

std::vector<Command> AddCardCommands(CLI::App& app, const GlobalOptions& g, Arguments& a) {
    std::vector<Command> commands;
    CLI::App* drives = app.add_subcommand("drives", "the card-drive candidates, the default one marked");
    WithJson(drives, a, "the drives as one JSON document");
    commands.push_back({drives, [&] { return DrivesCommand(g, a.json); }});
    commands.push_back(
        {app.add_subcommand("check", "the card's layout check only"), [&] { return CheckCommand(g); }});
    CLI::App* folders =
        app.add_subcommand("folders", "the twelve folders: index, folder, display name, has designs");
    WithJson(folders, a, "the folders as one JSON document");
    commands.push_back({folders, [&] { return FoldersCommand(g, a.json); }});

    CLI::App* list = FolderCommand(app, "list", "a folder's design files in the design list's order", a);
    WithJson(list, a, "the folder's display name and design files as one JSON document");
    commands.push_back({list, [&] { return ListCommand(g, Folder(a), a.json); }});

    CLI::App* write =
        FolderCommand(app, "write", "write design files to a card folder, in the order given", a);
    write->add_option("FILE", a.files, "design files on this computer")->required();
    commands.push_back({write, [&] { return WriteCommand(g, Folder(a), a.files); }});

    CLI::App* read = FolderCommand(app, "read", "copy card designs to a folder of this computer", a);
    read->add_option("NAME", a.files, "card design file names")->required();
    read->add_option("--to", a.to, "destination folder (default: the current directory)")
        ->check(CLI::ExistingDirectory);
    commands.push_back({read, [&] { return ReadCommand(g, Folder(a), a.files, a.to); }});

    CLI::App* erase = FolderCommand(app, "erase", "erase card designs with their thumbnails (asks first)", a);
    erase->add_option("NAME", a.files, "card design file names")->required();
    commands.push_back({erase, [&] { return EraseCommand(g, Folder(a), a.files); }});

    CLI::App* rename =
        FolderCommand(app, "rename", "set a folder's display name (at most 8 bytes in the card's code page)", a);
    rename->add_option("NEWNAME", a.newName, "the new display name")->required()->check(NotEmpty());
    commands.push_back({rename, [&] { return RenameCommand(g, Folder(a), a.newName); }});

    CLI::App* verify = app.add_subcommand(
        "verify", "what is wrong with the card as it stands (no layout check first), and --repair");
    verify->add_option("FOLDER", a.folders, "card folders: 0 to 11, or EmbF5 to EmbF16 (default: all)")
        ->check(FolderValidator());
    CLI::Option* repair =
        verify->add_flag("--repair", a.repair, "repair what can be repaired; never a design's stitches");
    verify->add_option("--salvage", a.salvage,
                       "where --repair moves torn designs off the card (default: a new folder "
                       "kxcard-salvage-YYYYMMDD-HHMMSS here)")
        ->needs(repair);
    WithJson(verify, a, "the findings as one JSON document");
    commands.push_back({verify, [&] { return VerifyCommand(g, Folders(a), {a.repair, a.salvage}, a.json); }});
    return commands;
}

std::vector<Command> AddDesignCommands(CLI::App& app, Arguments& a) {
    std::vector<Command> commands;
    CLI::App* info = FileCommand(app, "info", "a design's header fields, hoop, colours and records", a);
    WithJson(info, a, "the same as one JSON document");
    commands.push_back({info, [&] { return InfoCommand(a.file, a.json); }});

    CLI::App* convert = FileCommand(app, "convert", "the design converted for the card", a);
    convert->add_option("-o,--output", a.out, "converted design file")->required();
    commands.push_back({convert, [&] { return ConvertCommand(a.file, a.out); }});

    CLI::App* thumbnail =
        FileCommand(app, "thumbnail", "the card's thumbnail record; a .png output gives a picture of it", a);
    thumbnail->add_option("-o,--output", a.out, "thumbnail record, or picture when it ends in .png")
        ->required();
    commands.push_back({thumbnail, [&] { return ThumbnailCommand(a.file, a.out); }});

    CLI::App* preview = FileCommand(app, "preview", "the preview drawing as PNG; prints the hoop label", a);
    preview->add_option("-o,--output", a.out, "PNG picture")->required();
    preview->add_option("--size", a.size, "canvas in pixels (default: the main dialog's pane, 92x128)")
        ->check(SizeValidator());
    commands.push_back(
        {preview,
         [&] { return PreviewCommand(a.file, a.out, ParsePreviewSize(a.size).value_or(kPanePreviewSize)); }});

    CLI::App* demo = app.add_subcommand("demo", "sample designs written to a card folder, with pictures");
    demo->add_option("--dir", a.dir,
                     "where to make the demo (default: a new folder in the temporary folder)");
    commands.push_back({demo, [&] { return DemoCommand(a.dir); }});
    return commands;
}

// One line for the error and one pointing at the help of the command it concerns; the whole
// help page would bury the line that matters.
int UsageError(const CLI::App& app, const CLI::ParseError& error) {
    std::string command = "kxcard";
    for (const CLI::App* sub = &app; !sub->get_subcommands().empty();) {
        sub = sub->get_subcommands().front();
        command += " " + sub->get_name();
    }
    std::string what = error.what();
    if (command == "kxcard" && !app.remaining().empty()) what = "no command named " + app.remaining().front();
    std::cerr << "kxcard: " << what << "\nRun '" << command << " --help' for how to use it.\n" << std::flush;
    return kExitUsage;
}

}  // namespace

int RunTool(int argc, char** argv) {
    CLI::App app("kxcard: the designs of an embroidery machine's memory card, from a shell", "kxcard");
    app.footer(kExitStatuses);
    app.require_subcommand(1);
    app.fallthrough();
    app.set_version_flag("--version", std::string("kxcard ") + KX_VERSION, "the tool's version");

    GlobalOptions global;
    bool yes = false, no = false;
    // A folder that is not there is no card (exit 3), said when a command looks for the card.
    app.add_option("--card", global.cardFolder, "the card's root folder (default: the first removable drive)");
    app.add_option("--codepage", global.codePage,
                   "the code page of the card's folder names, as the Windows that wrote them uses: 1252 "
                   "(Western, the default), 932 (Japanese), or another the C library's iconv knows as CP<N>")
        ->type_name("CP")
        ->envname(std::string(kCodePageVariable))
        ->check(CodePageValidator());
    CLI::Option* yesFlag = app.add_flag("--yes", yes, "answer Yes (or OK) to every question");
    app.add_flag("--no", no, "answer No (or Cancel) to every question")->excludes(yesFlag);

    Arguments arguments;
    std::vector<Command> commands = AddCardCommands(app, global, arguments);
    for (Command& c : AddDesignCommands(app, arguments)) commands.push_back(std::move(c));

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForVersion& version) {
        return app.exit(version);
    } catch (const CLI::ParseError& error) {
        return UsageError(app, error);
    }
    auto answer = yes  ? ConsoleMessageSink::Answer::Yes
                  : no ? ConsoleMessageSink::Answer::No
                       : ConsoleMessageSink::Answer::Ask;
    if (auto* console = dynamic_cast<ConsoleMessageSink*>(&nativeMessageSink())) console->setAnswer(answer);

    try {
        for (const Command& command : commands)
            if (command.app->parsed()) return command.run();
    } catch (const std::exception& error) {
        std::cerr << "kxcard: " << error.what() << std::endl;
        return kExitRefused;
    }
    return kExitUsage;
}

}  // namespace kx::cli
