// What the Syntax and Syntax Item dialogs show and do, without windows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "structure/MaskListModel.h"

namespace quill {

class SyntaxDescription;
struct SyntaxItem;

class SyntaxItemDialogModel {
public:
    static constexpr const char* kNameTip = "Name of item to be colored";
    static constexpr const char* kColorTip = "Color to be used of specified words or sequencies";
    static constexpr const char* kStartTip = "Start of sequence. (Ex: // or /* for comments)";
    static constexpr const char* kEndTip = "End of sequence. (Ex: */ for comments)";
    static constexpr const char* kIgnorStartTip = "Ignor start sequence if this char is infront (Ex: \\)";
    static constexpr const char* kIgnorTip = "Ignor end sequence if this char is infront (Ex: \\)";
    static constexpr const char* kKeywordsTip = "Words separeted by blank wich will be colored. (Ex: if for else ...)";
    static constexpr const char* kIgnorCaseTip = "Check this if the keywords are not case sensitive. (Ex: html tags)";
    static constexpr const char* kOverwriteTip =
        "Uncheck this if only characters with the same previous defined color should be affected. (Ex: html \" "
        "string in ' string and vv)";
    static constexpr const char* kExceptInTip = "Exceptions of overwrite function";
    static constexpr const char* kRootTip = "Check this if following Sub-items ar only in this root sequence";
    static constexpr const char* kSubTip = "Check this if this item is only in the previous root sequence";

    explicit SyntaxItemDialogModel(SyntaxItem& item);

    std::string name, start, end, ignorStart, ignor, keywords, exceptIn;
    bool ignorCase, overwrite, root, sub;

    /// The colour chooser's choice takes effect at once, also when the dialog is then cancelled.
    void ChooseColour(std::uint32_t colour);
    std::uint32_t Colour() const;
    /// OK: the texts and check boxes go into the item.
    void Apply();

private:
    SyntaxItem& item_;
};

class SyntaxDialogModel {
public:
    static constexpr const char* kNameTip = "Name of Syntax Coloring description";
    static constexpr const char* kMaskTip =
        "Use combinations of * in path, name and extension. For single substitutable character use ?.";
    static constexpr const char* kItemsTip = "List of items to be colored. Double click to edit one";

    using EditItem = std::function<bool(SyntaxItem&)>;

    SyntaxDialogModel(SyntaxDescription& description, EditItem editItem, MaskListModel::Associate associate);

    std::string name;
    MaskListModel masks;
    int selectedItem = -1;

    /// One line per item: flags ("-" no overwrite, "*" root, ">" sub), name, start, end and keywords.
    std::vector<std::string> ItemLines() const;
    static std::string ItemLine(const SyntaxItem& item);
    /// New appends an accepted new item; false when the description is full.
    bool NewItem();
    void EditSelectedItem();
    void DeleteSelectedItem();
    void ItemUp();
    void ItemDown();
    /// OK: stores the name.
    void Apply();

private:
    bool Valid() const;

    SyntaxDescription& description_;
    EditItem editItem_;
};

}  // namespace quill
