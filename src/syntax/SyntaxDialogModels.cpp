// The Syntax and Syntax Item dialogs' logic.
#include "syntax/SyntaxDialogModels.h"

#include <memory>

#include "common/Format.h"
#include "common/ListMove.h"
#include "syntax/SyntaxDescription.h"

namespace quill {

SyntaxItemDialogModel::SyntaxItemDialogModel(SyntaxItem& item)
    : name(item.name),
      start(item.start),
      end(item.end),
      ignorStart(item.ignorStart),
      ignor(item.ignor),
      keywords(item.keywords),
      exceptIn(item.exceptIn),
      ignorCase(item.ignorCase),
      overwrite(item.overwrite),
      root(item.root),
      sub(item.sub),
      item_(item)
{
}

void SyntaxItemDialogModel::ChooseColour(std::uint32_t colour) { item_.color = colour; }

std::uint32_t SyntaxItemDialogModel::Colour() const { return item_.color; }

void SyntaxItemDialogModel::Apply()
{
    item_.name = name;
    item_.start = start;
    item_.end = end;
    item_.ignorStart = ignorStart;
    item_.ignor = ignor;
    item_.keywords = keywords;
    item_.exceptIn = exceptIn;
    item_.ignorCase = ignorCase;
    item_.overwrite = overwrite;
    item_.root = root;
    item_.sub = sub;
}

SyntaxDialogModel::SyntaxDialogModel(SyntaxDescription& description, EditItem editItem,
                                     MaskListModel::Associate associate)
    : name(description.Name()),
      masks(description.Masks(), std::move(associate)),
      description_(description),
      editItem_(std::move(editItem))
{
}

std::string SyntaxDialogModel::ItemLine(const SyntaxItem& item)
{
    std::string flags = "   ";
    if (!item.overwrite)
        flags[0] = '-';
    if (item.root)
        flags[1] = '*';
    if (item.sub)
        flags[2] = '>';
    return Format("%s%s %s %s%s", flags.c_str(), item.name.c_str(), item.start.c_str(), item.end.c_str(),
                  item.keywords.c_str());
}

std::vector<std::string> SyntaxDialogModel::ItemLines() const
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < description_.ItemCount(); ++i)
        lines.push_back(ItemLine(description_.Item(i)));
    return lines;
}

bool SyntaxDialogModel::Valid() const
{
    return selectedItem >= 0 && selectedItem < static_cast<int>(description_.ItemCount());
}

bool SyntaxDialogModel::NewItem()
{
    // Item numbers are one byte: a 256th item could not be told from an uncoloured byte.
    if (description_.ItemCount() >= SyntaxDescription::kMaxItems)
        return false;
    auto item = std::make_unique<SyntaxItem>();
    if (editItem_ && editItem_(*item)) {
        description_.AddItem(std::move(item));
        selectedItem = static_cast<int>(description_.ItemCount()) - 1;
    }
    return true;
}

void SyntaxDialogModel::EditSelectedItem()
{
    if (Valid() && editItem_)
        editItem_(description_.Item(static_cast<std::size_t>(selectedItem)));
}

void SyntaxDialogModel::DeleteSelectedItem()
{
    if (!Valid())
        return;
    description_.DeleteItem(static_cast<std::size_t>(selectedItem));
    selectedItem = -1;
}

void SyntaxDialogModel::ItemUp()
{
    MoveSelected(selectedItem, description_.ItemCount(), -1,
                 [this](std::size_t i, std::size_t j) { description_.SwapItems(i, j); });
}

void SyntaxDialogModel::ItemDown()
{
    MoveSelected(selectedItem, description_.ItemCount(), +1,
                 [this](std::size_t i, std::size_t j) { description_.SwapItems(i, j); });
}

void SyntaxDialogModel::Apply() { description_.SetName(name); }

}  // namespace quill
