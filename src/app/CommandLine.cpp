// Parsing the command line.
#include "app/CommandLine.h"

#include <sys/stat.h>

namespace quill {

namespace {

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool AllDigits(const std::string& text)
{
    if (text.empty())
        return false;
    for (char ch : text)
        if (ch < '0' || ch > '9')
            return false;
    return true;
}

// "notes.txt#120" names notes.txt when no file of the whole name exists.
std::string FileOfArgument(const std::string& argument)
{
    auto hash = argument.rfind('#');
    if (hash == std::string::npos || hash == 0 || Exists(argument))
        return argument;
    return AllDigits(argument.substr(hash + 1)) ? argument.substr(0, hash) : argument;
}

}  // namespace

CommandLine CommandLine::Parse(const std::vector<std::string>& arguments)
{
    CommandLine line;
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const std::string& argument = arguments[k];
        if (argument == "--print-pdf") {
            if (k + 1 >= arguments.size() && line.error.empty())
                line.error = "--print-pdf needs the name of the PDF file";
            else if (k + 1 < arguments.size())
                line.printPdf = arguments[++k];
            continue;
        }
        if (!line.raw.empty())
            line.raw += ' ';
        line.raw += argument;
        if (argument == "--help" || argument == "-h")
            line.help = true;
        else if (argument == "--version")
            line.version = true;
        else if (argument == "--timing")
            line.timing = true;
        else if (argument == "-RELOAD")
            ;  // read from the raw line below
        else if (argument.size() > 1 && argument[0] == '-' && line.error.empty())
            line.error = "unknown option " + argument;
        else if (argument[0] == '#')
            ;  // a line request as a word of its own
        else if (!line.file)
            line.file = FileOfArgument(argument);
        else if (line.error.empty())
            line.error = "only one file can be opened: " + argument;
    }
    line.reload = line.raw.find("-RELOAD") != std::string::npos;
    return line;
}

std::string CommandLine::Usage()
{
    return "Usage: quillarium [FILE[#LINE]] [-RELOAD]\n"
           "       quillarium --print-pdf OUT.pdf FILE\n"
           "\n"
           "Views and edits large text and record files.\n"
           "\n"
           "  FILE       the file to open; it is offered to be created when it does not exist\n"
           "             (\"-\" reads standard input: journalctl | quillarium -)\n"
           "  #LINE      go to this line (1-based) instead of the position remembered for FILE\n"
           "  -RELOAD    follow FILE: show its changes on disk at once and stay at its end\n"
           "  --help     show this text\n"
           "  --version  show the version\n"
           "  --timing   print the times of start-up and exit and quit after the first screen\n"
           "  --print-pdf OUT.pdf FILE\n"
           "             print FILE with the saved page setup (header, footer, left margin,\n"
           "             form feeds) into OUT.pdf, on A4 paper, without opening a window\n"
           "\n"
           "The environment variable QUILLARIUM_DATA names the data folder (QVXData).\n";
}

}  // namespace quill
