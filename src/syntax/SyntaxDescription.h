// The colouring rules of a file: sequences and keywords, stored as QVXData/<Name>.syn.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "syntax/SyntaxItem.h"

namespace quill {

class Prompter;

class SyntaxDescription {
public:
    SyntaxDescription() { Reset(); }

    void Reset();
    bool Load(const std::string& path);
    bool Save(const std::string& dataFolder, Prompter& prompter) const;
    /// Loads the first description of the data folder whose masks match the path; resets otherwise.
    bool SelectForFile(const std::string& path, const std::string& dataFolder);
    bool MatchesFile(const std::string& path) const;
    /// Finds the numbers of the items named in the item's ExceptIn (at most 10).
    void PrepareExceptions(SyntaxItem& item) const;

    bool IsActive() const { return active_; }
    void SetActive(bool active) { active_ = active; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    std::vector<std::string>& Masks() { return masks_; }
    const std::vector<std::string>& Masks() const { return masks_; }

    std::size_t ItemCount() const { return items_.size(); }
    /// The items that colour the text: the first kMaxItems.
    std::size_t ColouringItemCount() const { return std::min(items_.size(), kMaxItems); }
    SyntaxItem& Item(std::size_t i) { return *items_[i]; }
    const SyntaxItem& Item(std::size_t i) const { return *items_[i]; }
    /// Appends an item, unless the description holds 255 already (item numbers are one byte). A
    /// file may hold more; they are kept and saved, and only the first 255 colour the text.
    bool AddItem(std::unique_ptr<SyntaxItem> item);
    void DeleteItem(std::size_t i);
    void SwapItems(std::size_t i, std::size_t j);
    static constexpr std::size_t kMaxItems = 255;

private:
    bool active_ = false;
    std::string name_;
    std::vector<std::string> masks_;
    std::vector<std::unique_ptr<SyntaxItem>> items_;
};

}  // namespace quill
