// Printing into PDF files, read back as text.
#include <gtest/gtest.h>

#include <QPdfWriter>
#include <cstdio>
#include <memory>
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
