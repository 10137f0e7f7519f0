// Syntax description files and their selection.
#include "syntax/SyntaxDescription.h"

#include <cstring>
#include <sstream>

#include "common/Format.h"
#include "common/StagedFile.h"
#include "common/TextCase.h"
#include "platform/Prompter.h"
#include "structure/PathMask.h"
#include "structure/ProfileFile.h"

namespace quill {

namespace {
const char kGeneral[] = "<General>";
}

void SyntaxDescription::Reset()
{
    active_ = false;
    name_ = "<UNSTRUCTURED>";
    masks_.clear();
    items_.clear();
}

bool SyntaxDescription::Load(const std::string& path)
{
    ProfileFile file;
    if (!file.Load(path))
        return false;
    Reset();
    name_ = SplitPath(path).name;
    for (const std::string& section : file.DescriptionSections(masks_)) {
        auto item = std::make_unique<SyntaxItem>();
        item->name = UpperCp1252(section.size() > 5 ? section.substr(0, section.size() - 5) : std::string());
        file.GetString(section, "Start", item->start);
        file.GetString(section, "End", item->end);
        file.GetString(section, "IgnorStart", item->ignorStart);
        file.GetString(section, "Ignor", item->ignor);
        file.GetString(section, "Keywords", item->keywords);
        file.GetString(section, "ExceptIn", item->exceptIn);
        item->color = static_cast<std::uint32_t>(file.GetInt(section, "Color", 0));
        item->ignorCase = file.GetInt(section, "IgnorCase", 0) != 0;
        item->overwrite = file.GetInt(section, "Overwrite", 1) != 0;
        item->root = file.GetInt(section, "Root", 0) != 0;
        item->sub = file.GetInt(section, "Sub", 0) != 0;
        PrepareExceptions(*item);  // only the items read so far can be found
        // Every item of the file is kept, so a save never drops one; the colouring uses the
        // first kMaxItems.
        items_.push_back(std::move(item));
    }
    active_ = true;
    return true;
}

bool SyntaxDescription::Save(const std::string& dataFolder, Prompter& prompter) const
{
    if (!active_)
        return false;
    ProfileFile file;
    for (const std::string& mask : masks_)
        file.AddString(kGeneral, "Mask", mask);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const SyntaxItem& item = *items_[i];
        const std::string section = Format("%s_%04d", item.name.c_str(), static_cast<int>(i));
        file.AddString(section, "Start", item.start);
        file.AddString(section, "End", item.end);
        file.AddString(section, "IgnorStart", item.ignorStart);
        file.AddString(section, "Ignor", item.ignor);
        file.AddString(section, "Keywords", item.keywords);
        file.AddString(section, "ExceptIn", item.exceptIn);
        file.AddInt(section, "Color", item.color);
        file.AddInt(section, "IgnorCase", item.ignorCase);
        file.AddInt(section, "Overwrite", item.overwrite);
        file.AddInt(section, "Root", item.root);
        file.AddInt(section, "Sub", item.sub);
    }
    std::ostringstream bytes;
    file.Write(bytes);
    const std::string path = dataFolder + "/" + name_ + ".syn";
    if (int error = WriteFileAtomically(path, bytes.str())) {
        prompter.Error(Format("Can\xB4t write %s!\n%s", path.c_str(), std::strerror(error)));
        return false;
    }
    return true;
}

bool SyntaxDescription::MatchesFile(const std::string& path) const { return AnyMaskMatches(masks_, path); }

bool SyntaxDescription::SelectForFile(const std::string& path, const std::string& dataFolder)
{
    for (const std::string& file : DescriptionFiles(dataFolder, ".syn"))
        if (Load(file) && MatchesFile(path))
            return true;
    Reset();
    return false;
}

void SyntaxDescription::PrepareExceptions(SyntaxItem& item) const
{
    item.exceptions.fill(0);
    item.exceptionCount = 0;
    std::string name;
    auto findItems = [&] {
        if (name.empty())
            return;
        const std::string wanted = UpperCp1252(name);
        for (std::size_t i = 0; i < items_.size() && item.exceptionCount < 10; ++i)
            if (items_[i]->name == wanted)
                item.exceptions[static_cast<std::size_t>(item.exceptionCount++)] = static_cast<int>(i + 1);
        name.clear();
    };
    for (char ch : item.exceptIn) {
        if (ch == ' ' || ch == ',' || ch == ';')
            findItems();
        else
            name += ch;
    }
    findItems();
}

bool SyntaxDescription::AddItem(std::unique_ptr<SyntaxItem> item)
{
    if (items_.size() >= kMaxItems)
        return false;
    items_.push_back(std::move(item));
    return true;
}

void SyntaxDescription::DeleteItem(std::size_t i)
{
    if (i < items_.size())
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
}

void SyntaxDescription::SwapItems(std::size_t i, std::size_t j)
{
    if (i < items_.size() && j < items_.size())
        std::swap(items_[i], items_[j]);
}

}  // namespace quill
