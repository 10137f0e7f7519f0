// Commands run through "sh -c"; the file's path reaches them in the environment only.
#include "tools/ExternalTools.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "commands/Finder.h"
#include "common/Format.h"
#include "common/PrivateFolder.h"
#include "document/Document.h"
#include "platform/ProcessStarter.h"
#include "platform/Prompter.h"
#include "search/SearchOptions.h"

namespace quill {

namespace {

constexpr char kMicro = '\xB5';
constexpr const char* kFileVariable = "QVX_FILE";
constexpr const char* kOutputVariable = "QVX_OUTPUT";

}  // namespace

ExternalTools::ExternalTools(Document& doc, Finder& search, SearchQuery& query, ProcessStarter& starter,
                             std::string programPath)
    : doc_(doc),
      search_(search),
      query_(query),
      starter_(starter),
      programPath_(std::move(programPath))
{
}

std::optional<std::string> ExternalTools::FindCommandMarker(const std::string& marker)
{
    doc_.Selection().Clear();
    doc_.Selection().cursor.line = 0;
    doc_.Selection().cursor.column = doc_.Selection().preferredColumn = 0;
    doc_.Text().SetCurrentLine(0);
    // The marker as it stands, wherever it is: not as an expression, not in a field.
    query_ = SearchQuery{marker, marker, query_.matchCase, false, nullptr};
    if (!search_.FindForward(true) || search_.Engine().StoppedByUser())
        return std::nullopt;
    const LineView line = doc_.Text().Line(doc_.Selection().cursor.line);
    const std::uint32_t after = search_.Engine().IndexAtColumn(line, doc_.Selection().cursor.column);
    std::string command(line.Bytes() + after, line.Length() - after);
    const auto close = command.find(kMicro);
    if (close != std::string::npos)
        command.resize(close);
    // Without a closing µ the rest of the line is the command; its terminator would end up in
    // the last word of it (a CR most of all), so it is left out.
    while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
        command.pop_back();
    return command;
}

std::string ExternalTools::ShellCommand(const std::string& pattern)
{
    // The shell's quoting as far as "%s" needs it: which quote it stands in, also inside command
    // substitutions "$(...)" and `...`, which begin a new level of quoting of their own. The
    // variable is written with braces, so that letters after "%s" are no part of its name.
    struct Level {
        char quote = 0;       // the quote this level is inside of
        char closer = 0;      // what ends the level: ')' or '`'; none at the top
        int parentheses = 0;  // open "(" of this level, which a ")" closes first
    };
    std::vector<Level> levels(1);
    const std::string variable = std::string("${") + kFileVariable + "}";
    std::string command;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        const char c = pattern[k];
        Level& level = levels.back();
        if (c == '%' && k + 1 < pattern.size() && pattern[k + 1] == '%') {
            command += "%%";  // other "%" stay as they are, "%%" too
            ++k;
            continue;
        }
        if (c == '%' && k + 1 < pattern.size() && pattern[k + 1] == 's') {
            ++k;
            command += level.quote == '"'    ? variable
                       : level.quote == '\'' ? "'\"" + variable + "\"'"
                                             : "\"" + variable + "\"";
            continue;
        }
        command += c;
        if (level.quote == '\'') {
            if (c == '\'')
                level.quote = 0;
            continue;
        }
        if (c == '\\' && k + 1 < pattern.size()) {
            command += pattern[++k];  // an escaped character never opens or closes anything
            continue;
        }
        if (c == '$' && k + 1 < pattern.size() && pattern[k + 1] == '(') {
            command += pattern[++k];
            levels.push_back(Level{0, ')', 0});
        } else if (c == '`') {
            if (level.closer == '`')
                levels.pop_back();
            else
                levels.push_back(Level{0, '`', 0});
        } else if (c == '"') {
            level.quote = level.quote == '"' ? 0 : '"';
        } else if (level.quote == '"') {
            continue;
        } else if (c == '\'') {
            level.quote = '\'';
        } else if (c == '(') {
            ++level.parentheses;
        } else if (c == ')') {
            if (level.parentheses > 0)
                --level.parentheses;
            else if (level.closer == ')')
                levels.pop_back();
        }
    }
    return command;
}

std::string ExternalTools::WithoutExtension(const std::string& path)
{
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
        return path;
    return path.substr(0, dot);
}

std::optional<std::string> ExternalTools::OutputFolder(std::string& error)
{
    // The runtime folder only when nobody else can put a file there: another user's pipe would
    // hold Compile up, and another user's file would receive the output.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') {
        struct stat st {};
        if (::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 022) == 0)
            return std::string(runtime);
    }
    std::string cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        cache = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home == '/')
        cache = std::string(home) + "/.cache";
    if (cache.empty()) {
        error = "No folder for the output: neither XDG_RUNTIME_DIR nor HOME is set.";
        return std::nullopt;
    }
    ::mkdir(cache.c_str(), 0700);
    const std::string folder = cache + "/quillarium";
    if (!MakePrivateFolder(folder, error))
        return std::nullopt;
    return folder;
}

std::optional<std::string> ExternalTools::CommandToRun(const char* marker, const char* missing)
{
    const auto pattern = FindCommandMarker(marker);
    if (!pattern) {
        doc_.Ports().prompter.Inform(missing);
        return std::nullopt;
    }
    // Saved like File > Save, also when unchanged: the command reads the file from disk.
    if (!doc_.Save(doc_.File().Path()))
        return std::nullopt;
    return pattern;
}

bool ExternalTools::Compile()
{
    const auto pattern = CommandToRun("\xB5"
                                      "COMP:",
                                      "No command for compilation found!\nInsert \"\xB5"
                                      "COMP:{Compilation command} "
                                      "\"%s\"\xB5\" anywhere in the file.\nExample: /* \xB5"
                                      "COMP:javac \"%s\"\xB5 */");
    if (!pattern)
        return false;
    std::string error;
    const auto folder = OutputFolder(error);
    if (!folder) {
        doc_.Ports().prompter.Error(error);
        return false;
    }
    // The output file is made (empty) at once, so the second window finds it; never through a
    // link someone put in its place.
    const std::string output = *folder + "/qvx.txt";
    const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        doc_.Ports().prompter.Error(Format("Can\xB4t save %s!\n%d:%s", output.c_str(), errno, std::strerror(errno)));
        return false;
    }
    ::close(fd);
    // All the command's output, of every part of it, goes into the file.
    const std::string command = std::string("exec 1>\"$") + kOutputVariable + "\" 2>&1\n" + ShellCommand(*pattern);
    starter_.StartDetached("/bin/sh", {"-c", command},
                           {{kFileVariable, doc_.File().Path()}, {kOutputVariable, output}});
    starter_.StartDetached(programPath_, {output, "-RELOAD"}, {});
    return true;
}

bool ExternalTools::Execute()
{
    const auto pattern = CommandToRun("\xB5"
                                      "EXEC:",
                                      "No command for execution found!\nInsert \"\xB5"
                                      "EXEC:{Execution command} "
                                      "\"%s\"\xB5\" anywhere in the file.\nExample: /* \xB5"
                                      "EXEC:cmd /K java \"%s\"\xB5 */");
    if (!pattern)
        return false;
    starter_.StartDetached("/bin/sh", {"-c", ShellCommand(*pattern)},
                           {{kFileVariable, WithoutExtension(doc_.File().Path())}});
    return true;
}

}  // namespace quill
