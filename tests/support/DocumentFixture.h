// A document with scripted desktop parts, the base of the document tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/Document.h"
#include "settings/Settings.h"
#include "support/Fakes.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace quill::test {

class DocumentFixture : public ::testing::Test {
protected:
    DocumentFixture();
    ~DocumentFixture() override;

    /// The lines of the text as strings.
    std::vector<std::string> Lines() const;
    /// The concatenation of all lines: what a save writes.
    std::string AllBytes() const;
    /// Writes a file and opens it in the document.
    bool OpenBytes(const std::string& bytes, const std::string& name = "file.txt");
    /// OpenBytes for texts that would look binary to the load (brackets, quotes): shown as text.
    bool OpenAsText(const std::string& bytes);
    /// Puts the cursor on a line and column without a selection.
    void PutCursor(LineIndex line, Column column);
    /// Makes the structure active with the record type in the first byte and one field of type
    /// "A" (each call adds a type field and the field).
    FieldDef& AddFieldOfTypeA(const std::string& name, int offset, int length);
    /// A new document in place of the old one, as after a restart of the program.
    void Reopen();
    std::unique_ptr<Document> MakeDocument();

    TempDir dir;
    Settings settings;
    ScriptedPrompter prompter;
    FakeProgress progress;
    FakeFileDialogs dialogs;
    ScriptedEntry entry;
    FakeView view;
    TextSelection selection;
    std::unique_ptr<Document> doc;
};

}  // namespace quill::test
