// The shared document test set-up.
#include "support/DocumentFixture.h"

#include "structure/FieldDef.h"
#include "structure/StructureDescription.h"

#include <cstdlib>
#include <sys/stat.h>

namespace quill::test {

DocumentFixture::DocumentFixture()
{
    // Copies of saves written in place go to the test's folder, not the user's.
    ::setenv("XDG_STATE_HOME", dir.File("state").c_str(), 1);
    ::mkdir(dir.File("QVXData").c_str(), 0755);
    doc = MakeDocument();
}

DocumentFixture::~DocumentFixture() { ::unsetenv("XDG_STATE_HOME"); }

std::unique_ptr<Document> DocumentFixture::MakeDocument()
{
    auto made = std::make_unique<Document>(
        DocumentContext{settings, prompter, progress, dialogs, entry, dir.File("QVXData"), selection});
    made->SetView(&view);
    made->New();
    return made;
}

std::vector<std::string> DocumentFixture::Lines() const
{
    std::vector<std::string> lines;
    const TextStore& text = doc->Text();
    for (LineIndex i = 0; i < text.LineCount(); ++i)
        lines.emplace_back(text.Line(i).Text());
    return lines;
}

std::string DocumentFixture::AllBytes() const
{
    std::string all;
    for (const std::string& line : Lines())
        all += line;
    return all;
}

bool DocumentFixture::OpenBytes(const std::string& bytes, const std::string& name)
{
    return doc->Open(dir.Write(name, bytes));
}

bool DocumentFixture::OpenAsText(const std::string& bytes)
{
    if (!OpenBytes(bytes))
        return false;
    if (doc->BinaryMode())
        doc->SwitchBinaryMode();
    return true;
}

void DocumentFixture::PutCursor(LineIndex line, Column column)
{
    doc->Selection().Clear();
    doc->Selection().cursor.line = line;
    doc->Selection().cursor.column = doc->Selection().preferredColumn = column;
    doc->Text().SetCurrentLine(line);
}

}  // namespace quill::test

namespace quill::test {

void DocumentFixture::Reopen()
{
    doc.reset();
    doc = MakeDocument();
}

FieldDef& DocumentFixture::AddFieldOfTypeA(const std::string& name, int offset, int length)
{
    StructureDescription& structure = doc->Structure();
    auto type = std::make_unique<FieldDef>();
    type->name = "TYPE";
    type->length = 1;
    type->isRecordType = true;
    structure.SetRecordTypeField(&structure.AddField(std::move(type)));
    auto field = std::make_unique<FieldDef>();
    field->name = name;
    field->offset = offset;
    field->length = length;
    field->typeValue = "A";
    FieldDef& added = structure.AddField(std::move(field));
    structure.SetActive(true);
    return added;
}

}  // namespace quill::test
