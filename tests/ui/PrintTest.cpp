// Printing into PDF files, read back as text.
#include <gtest/gtest.h>

#include <QPdfWriter>
#include <QPrinter>
#include <cstdio>
#include <memory>
#include <regex>
#include <unistd.h>

#include "app/CommandLine.h"
#include "app/ui/QuillApplication.h"
#include "document/Document.h"
#include "print/ui/DocumentPrinter.h"
#include "settings/Settings.h"
#include "support/DocumentFixture.h"
#include "support/Fakes.h"

namespace quill::test {
namespace {

std::string Run(const std::string& command)
{
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

// The pages of a PDF as text, split at form feeds (pdftotext ends every page with one).
std::vector<std::string> Pages(const std::string& pdf)
{
    const std::string text = Run("pdftotext -layout '" + pdf + "' -");
    std::vector<std::string> pages;
    std::size_t start = 0;
    for (std::size_t ff; (ff = text.find('\f', start)) != std::string::npos; start = ff + 1)
        pages.push_back(text.substr(start, ff - start));
    return pages;
}

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class PrintTest : public DocumentFixture {
protected:
    std::vector<std::string> PrintPages()
    {
        const std::string pdf = dir.File("out.pdf");
        {
            QPdfWriter writer(QString::fromStdString(pdf));
            writer.setPageSize(QPageSize(QPageSize::A6));
            writer.setResolution(150);
            EXPECT_TRUE(DocumentPrinter(*doc, settings).Print(writer));
        }
        return Pages(pdf);
    }
    std::string Numbered(int lines, int formFeedAfter = -1)
    {
        std::string text;
        for (int i = 1; i <= lines; ++i) {
            text += "row" + std::to_string(i);
            text += i == formFeedAfter ? "\f\n" : "\n";
        }
        return text;
    }
};

TEST_F(PrintTest, HeaderFooterAndLinesOnEveryPage)
{
    ASSERT_TRUE(OpenBytes(Numbered(120), "numbers.txt"));
    const auto pages = PrintPages();
    ASSERT_GE(pages.size(), 3u);
    int printed = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(Count(pages[p], dir.File("numbers.txt")), 1);          // the default header: the path
        EXPECT_EQ(Count(pages[p], "Page " + std::to_string(p + 1)), 1);  // the default footer
        printed += Count(pages[p], "row");
    }
    EXPECT_EQ(printed, 120);  // every line once, none cut off
    // Pages are full but the last: equal numbers of lines.
    EXPECT_EQ(Count(pages[0], "row"), Count(pages[1], "row"));
    EXPECT_NE(pages[1].find("row" + std::to_string(Count(pages[0], "row") + 1) + "\n"), std::string::npos);
}

TEST_F(PrintTest, FormFeedsBreakPagesWhenAskedAndPlaceholdersAreFilledIn)
{
    ASSERT_TRUE(OpenBytes(Numbered(6, 2), "ff.txt"));
    settings.printFF = 1;
    settings.printHeader = "";
    settings.printFooter = "&p of &s";
    auto pages = PrintPages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_NE(pages[0].find("row2"), std::string::npos);
    EXPECT_EQ(pages[0].find("row3"), std::string::npos);
    EXPECT_NE(pages[1].find("row3"), std::string::npos);
    EXPECT_NE(pages[1].find("2 of 0.0 kb"), std::string::npos);
    EXPECT_EQ(pages[0].find("ff.txt"), std::string::npos);  // no header
    settings.printFF = 0;
    EXPECT_EQ(PrintPages().size(), 1u);
}

TEST_F(PrintTest, AnEmptyDocumentPrintsItsFooterOnOnePage)
{
    ASSERT_TRUE(OpenBytes("", "empty.txt"));
    const auto pages = PrintPages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("Page 1"), std::string::npos);
}

TEST_F(PrintTest, Utf8TextIsPrintedAsCharacters)
{
    // German, Greek, Cyrillic and a combining accent come out of the PDF as the same characters.
    ASSERT_TRUE(OpenBytes("J\xC3\xB6rg Stra\xC3\x9F"
                          "e\n\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1 "
                          "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0\n",
                          "utf8.txt"));
    const auto pages = PrintPages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("J\xC3\xB6rg Stra\xC3\x9F"
                            "e"),
              std::string::npos)
        << pages[0];
    EXPECT_NE(pages[0].find("\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1"), std::string::npos);
    EXPECT_NE(pages[0].find("\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"), std::string::npos);
}

// The long line of the wrapping tests: 250 six-digit numbers without a blank, so that the
// printed rows joined again must give it back exactly.
std::string LongLine()
{
    std::string line;
    for (int i = 1; i <= 400; ++i) {
        const std::string number = std::to_string(100000 + i);
        line += number;
    }
    return line;
}

// The rows of a page that hold digits, each without blanks.
std::vector<std::string> DigitRows(const std::string& page)
{
    std::vector<std::string> rows;
    std::size_t start = 0;
    for (std::size_t end; start < page.size(); start = end + 1) {
        end = page.find('\n', start);
        if (end == std::string::npos)
            end = page.size();
        std::string row;
        for (std::size_t i = start; i < end; ++i)
            if (page[i] != ' ')
                row += page[i];
        if (!row.empty() && std::isdigit(static_cast<unsigned char>(row.back())))
            rows.push_back(row);
    }
    return rows;
}

const std::string kContinuation = "\xE2\x86\xAA";  // U+21AA
const std::string kCut = "\xC2\xBB";               // U+00BB

TEST_F(PrintTest, LongLinesGoOnInTheNextRowsBehindASignOrAreCutWithAMark)
{
    ASSERT_TRUE(OpenBytes("short\n" + LongLine() + "\nend\n", "long.txt"));
    settings.printHeader = "";
    settings.printFooter = "";
    auto pages = PrintPages();
    ASSERT_GE(pages.size(), 2u);  // the line goes on across a page break as well
    std::string all;
    for (const std::string& page : pages)
        all += page + "\n";
    std::vector<std::string> rows = DigitRows(all);
    ASSERT_GT(rows.size(), 5u);
    std::string joined = rows[0];
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].rfind(kContinuation, 0), 0u) << rows[i];  // every row after the first
        joined += rows[i].substr(kContinuation.size());
    }
    EXPECT_EQ(joined, LongLine());
    EXPECT_EQ(Count(all, kCut), 0);
    EXPECT_NE(pages.back().find("end"), std::string::npos);

    settings.printWrap = 0;  // cut at the page's edge, the cut marked there
    pages = PrintPages();
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(Count(pages[0], kCut), 1) << pages[0];
    EXPECT_EQ(Count(pages[0], kContinuation), 0);
    const std::size_t mark = pages[0].find(kCut);
    const std::size_t rowStart = pages[0].rfind('\n', mark) + 1;
    std::string printed = pages[0].substr(rowStart, mark - rowStart);
    std::erase(printed, ' ');
    EXPECT_GT(printed.size(), 20u);
    EXPECT_EQ(LongLine().rfind(printed, 0), 0u) << printed;  // the start of the line, nothing else
}

TEST_F(PrintTest, AWrappedTextIsPrintedAsItsFileLinesGoingOn)
{
    // The text cut into display lines of 30 bytes: every printed row after the file line's first
    // is a continuation, marked as such, and the rows joined give the file line.
    ASSERT_TRUE(OpenBytes(LongLine() + "\nend\n", "wrapped.txt"));
    settings.maxLineLen = 30;
    settings.truncateAtBorder = 0;
    doc->Reflow(-1);
    ASSERT_GT(doc->Text().LineCount(), 40);
    settings.printHeader = "";
    settings.printFooter = "";
    std::string all;
    for (const std::string& page : PrintPages())
        all += page + "\n";
    const std::vector<std::string> rows = DigitRows(all);
    ASSERT_GT(rows.size(), 40u);
    std::string joined = rows[0];
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].rfind(kContinuation, 0), 0u) << rows[i];
        joined += rows[i].substr(kContinuation.size());
    }
    EXPECT_EQ(joined, LongLine());
    EXPECT_EQ(all.find(kContinuation + "end"), std::string::npos);  // the next file line starts anew
}

TEST_F(PrintTest, PrintAndPreviewLayPagesOutAsThePdfCommand)
{
    // The same file through --print-pdf and through a printer as Print and Print Preview set it
    // up: the same pages, the text 15 mm from the paper's left edge.
    std::string text;
    for (int i = 1; i <= 150; ++i)
        text += "line " + std::to_string(i) + (i % 20 == 0 ? " " + LongLine() : "") + "\n";
    dir.Write("same.txt", text);
    MemorySettingsStore store;
    const CommandLine line = CommandLine::Parse({"--print-pdf", dir.File("cli.pdf"), dir.File("same.txt")});
    ASSERT_EQ(QuillApplication::PrintToPdf(line, store), 0);
    ASSERT_TRUE(doc->Open(dir.File("same.txt")));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(dir.File("printer.pdf")));
        printer.setPageSize(QPageSize(QPageSize::A4));
        DocumentPrinter::SetMargins(printer);
        ASSERT_TRUE(DocumentPrinter(*doc, settings).Print(printer));
    }
    const auto cli = Pages(dir.File("cli.pdf"));
    const auto printed = Pages(dir.File("printer.pdf"));
    ASSERT_GT(cli.size(), 2u);
    EXPECT_EQ(printed, cli);
    for (const char* pdf : {"cli.pdf", "printer.pdf"}) {
        // pdftotext -bbox gives every word's box in points: the leftmost is 15 mm (42.5 pt) in.
        const std::string boxes = test::Run("pdftotext -bbox -f 1 -l 1 '" + dir.File(pdf) + "' -");
        const std::regex xMin("xMin=\"([0-9.]+)\"");
        double leftmost = 1e9;
        for (std::sregex_iterator it(boxes.begin(), boxes.end(), xMin), end; it != end; ++it)
            leftmost = std::min(leftmost, std::stod((*it)[1]));
        EXPECT_NEAR(leftmost, 42.5, 1.5) << pdf;
    }
}

TEST_F(PrintTest, TheCommandLinePrintsIntoAPdfWithoutAWindow)
{
    dir.Write("lines.txt", Numbered(3));
    MemorySettingsStore store;
    CommandLine line = CommandLine::Parse({"--print-pdf", dir.File("lines.pdf"), dir.File("lines.txt")});
    ASSERT_TRUE(line.error.empty());
    EXPECT_EQ(QuillApplication::PrintToPdf(line, store), 0);
    const auto pages = Pages(dir.File("lines.pdf"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("row3"), std::string::npos);
    // A compressed log prints its text, for every format.
    for (const char* tool : {"gzip", "xz", "zstd -q", "bzip2"}) {
        ASSERT_EQ(std::system(
                      (std::string(tool) + " -c < '" + dir.File("lines.txt") + "' > '" + dir.File("lines.log.z") + "'")
                          .c_str()),
                  0);
        line = CommandLine::Parse({"--print-pdf", dir.File("packed.pdf"), dir.File("lines.log.z")});
        EXPECT_EQ(QuillApplication::PrintToPdf(line, store), 0) << tool;
        const auto packed = Pages(dir.File("packed.pdf"));
        ASSERT_EQ(packed.size(), 1u) << tool;
        EXPECT_NE(packed[0].find("row3"), std::string::npos) << tool;
    }
    // A compressed log cut short is read up to the cut and told: that part is not the file, so
    // nothing is printed and the exit status says it failed.
    const std::string packed = ReadFile(dir.File("lines.log.z"));
    dir.Write("cut.log.bz2", packed.substr(0, packed.size() - 20));
    line = CommandLine::Parse({"--print-pdf", dir.File("cut.pdf"), dir.File("cut.log.bz2")});
    testing::internal::CaptureStderr();
    EXPECT_EQ(QuillApplication::PrintToPdf(line, store), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("compressed data"), std::string::npos);
    EXPECT_FALSE(PathExists(dir.File("cut.pdf")));
    // A PDF that cannot be written and a missing file are told, and fail.
    line = CommandLine::Parse({"--print-pdf", dir.File("no/such/folder/x.pdf"), dir.File("lines.txt")});
    EXPECT_EQ(QuillApplication::PrintToPdf(line, store), 1);
    line = CommandLine::Parse({"--print-pdf", dir.File("x.pdf")});
    EXPECT_EQ(QuillApplication::PrintToPdf(line, store), 2);
    // A missing file to print is told as missing; nothing offers to create it.
    line = CommandLine::Parse({"--print-pdf", dir.File("y.pdf"), dir.File("missing.txt")});
    testing::internal::CaptureStderr();
    EXPECT_EQ(QuillApplication::PrintToPdf(line, store), 1);
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("No such file"), std::string::npos) << told;
    EXPECT_EQ(told.find("create"), std::string::npos) << told;
    // The file to print is never the PDF's target, by its name or through a link.
    ASSERT_EQ(::symlink(dir.File("lines.txt").c_str(), dir.File("link.pdf").c_str()), 0);
    for (const char* out : {"lines.txt", "link.pdf"}) {
        line = CommandLine::Parse({"--print-pdf", dir.File(out), dir.File("lines.txt")});
        EXPECT_EQ(QuillApplication::PrintToPdf(line, store), 2);
        EXPECT_EQ(ReadFile(dir.File("lines.txt")), Numbered(3));
    }
    EXPECT_FALSE(CommandLine::Parse({"--print-pdf"}).error.empty());
}

}  // namespace
}  // namespace quill::test
