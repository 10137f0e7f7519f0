// The Syntax and Charset menu commands.
#include "commands/SyntaxCommands.h"

#include "charset/ConversionDialogModel.h"
#include "common/TextCase.h"
#include "document/Document.h"
#include "platform/Prompter.h"
#include "structure/DescriptionRename.h"
#include "structure/PathMask.h"
#include "syntax/SyntaxDialogModels.h"
#include "syntax/SyntaxDialogs.h"

namespace quill {

namespace {
const char kSyntaxFilter[] = "Syntax (*.syn)";
const char kTableFilter[] = "Conversions (*.tec)";
}  // namespace

SyntaxCommands::SyntaxCommands(Document& doc, SyntaxDialogs& dialogs, AskMask askMask)
    : doc_(doc),
      ports_(doc.Ports()),
      dialogs_(dialogs),
      askMask_(std::move(askMask))
{
}

std::optional<std::string> SyntaxCommands::OpenFile(const char* filter, const char* extension)
{
    return dialogs_.OpenDescription(doc_.DataFolder(), filter, extension);
}

std::optional<std::string> SyntaxCommands::SaveFile(const char* filter, const char* extension)
{
    return dialogs_.SaveDescription(doc_.DataFolder(), filter, extension);
}

// ---- Syntax -------------------------------------------------------------------------------------

bool SyntaxCommands::EditItem(SyntaxItem& item)
{
    SyntaxItemDialogModel model{item};
    if (!dialogs_.EditItem(model))
        return false;
    model.Apply();
    if (item.name.empty())
        return false;
    item.name = UpperCp1252(item.name);
    doc_.Syntax().PrepareExceptions(item);
    return true;
}

void SyntaxCommands::SyntaxOff()
{
    doc_.Syntax().Reset();
    doc_.RedrawViews();
}

bool SyntaxCommands::SyntaxOpen()
{
    auto path = OpenFile(kSyntaxFilter, "syn");
    SyntaxDescription& syntax = doc_.Syntax();
    if (!path || !syntax.Load(*path))
        return false;
    if (doc_.File().HasPath() && !syntax.MatchesFile(doc_.File().Path()) && askMask_) {
        if (auto mask = askMask_(doc_.File().Path())) {
            syntax.Masks().push_back(*mask);
            syntax.Save(doc_.DataFolder(), ports_.prompter);
        }
    }
    doc_.StructureOff();  // structures and syntax colouring exclude each other
    doc_.RedrawViews();
    return true;
}

bool SyntaxCommands::SyntaxModify()
{
    SyntaxDescription& syntax = doc_.Syntax();
    const std::string oldName = syntax.Name();
    const std::string folder = doc_.DataFolder();
    SyntaxDialogModel model(
        syntax, [this](SyntaxItem& item) { return EditItem(item); },
        [this]() -> std::optional<std::string> { return askMask_ ? askMask_(doc_.File().Path()) : std::nullopt; });
    const bool confirmed = dialogs_.EditSyntax(model);
    if (confirmed)
        model.Apply();
    if (!confirmed || syntax.Name().empty() || !AcceptRename(folder, oldName, syntax.Name(), ".syn", ports_.prompter)) {
        if (!syntax.Load(folder + "/" + oldName + ".syn"))
            syntax.Reset();
        doc_.RedrawViews();
        return false;
    }
    syntax.SetActive(true);
    syntax.Save(folder, ports_.prompter);
    doc_.StructureOff();
    doc_.RedrawViews();
    return true;
}

bool SyntaxCommands::SyntaxSaveAs()
{
    SyntaxDescription& syntax = doc_.Syntax();
    if (!syntax.IsActive())
        return false;
    auto path = SaveFile(kSyntaxFilter, "syn");
    if (!path)
        return false;
    syntax.SetName(SplitPath(*path).name);
    return syntax.Save(doc_.DataFolder(), ports_.prompter);
}

// ---- Charset ------------------------------------------------------------------------------------

bool SyntaxCommands::CharsetOpen()
{
    ConversionTable& table = doc_.Charset();
    table.RememberLineBreaks();
    auto path = OpenFile(kTableFilter, "tec");
    if (!path || !table.Load(*path))
        return false;
    doc_.CharsetChanged();
    return true;
}

bool SyntaxCommands::CharsetModify()
{
    ConversionTable& table = doc_.Charset();
    const std::string folder = doc_.DataFolder();
    const std::string oldName = table.Name();
    table.RememberLineBreaks();
    auto reloadOld = [&] {
        // The built-in "<ANSI>" has no file: its edits are simply dropped.
        if (!table.Load(folder + "/" + oldName + ".tec")) {
            table.Reset();
            table.SetName(oldName);
        }
    };
    ConversionDialogModel model(table);
    if (!dialogs_.EditConversion(model)) {
        // Cancel writes nothing: the table is as its file has it.
        reloadOld();
        doc_.CharsetChanged();
        return false;
    }
    model.Apply();
    if (!AcceptRename(folder, oldName, table.Name(), ".tec", ports_.prompter)) {
        reloadOld();
        doc_.CharsetChanged();
        return false;
    }
    table.SetActive(true);
    table.Save(folder, ports_.prompter);  // a name beginning with "<" switches the table off instead
    const bool active = table.IsActive();
    table.Rebuild();
    if (!active)
        table.SetActive(false);
    doc_.CharsetChanged();
    return true;
}

bool SyntaxCommands::CharsetSaveAs()
{
    ConversionTable& table = doc_.Charset();
    if (!table.IsActive())
        return false;
    auto path = SaveFile(kTableFilter, "tec");
    if (!path)
        return false;
    table.SetName(SplitPath(*path).name);
    return table.Save(doc_.DataFolder(), ports_.prompter);
}

bool SyntaxCommands::CharsetConvert()
{
    ConversionTable& table = doc_.Charset();
    if (table.IsActive()) {
        doc_.ConvertCharset();
        return true;
    }
    // No table: one is chosen, and the text is rewritten into its character set; it then looks
    // as before.
    auto path = OpenFile(kTableFilter, "tec");
    table.RememberLineBreaks();
    if (!path || !table.Load(*path))
        return false;
    std::array<std::uint8_t, 256> map{};
    for (int b = 0; b < 256; ++b)
        map[b] = table.FromDisplay(static_cast<std::uint8_t>(b));
    doc_.RewriteAllBytes(map);
    doc_.CharsetChanged();
    return true;
}

}  // namespace quill
