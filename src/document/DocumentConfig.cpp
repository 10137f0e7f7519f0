// The layout values of one open text over the global settings.
#include "document/DocumentConfig.h"

#include "settings/Settings.h"

namespace quill {

int Settings::*DocumentConfig::Field(Layout key)
{
    switch (key) {
    case Layout::WordWrap: return &Settings::wordWrap;
    case Layout::MaxLineLen: return &Settings::maxLineLen;
    case Layout::WrapAtBorder: return &Settings::truncateAtBorder;
    case Layout::ControlChars: return &Settings::viewControlChars;
    case Layout::TabSize: return &Settings::tabSize;
    case Layout::Overwrite:  // a mode of the text, never kept
    case Layout::Count: break;
    }
    return nullptr;
}

int DocumentConfig::ParentValue(Layout key) const
{
    const auto field = Field(key);
    if (!field)
        return 0;
    if (key == Layout::TabSize && parent_.*field < 1)
        return Settings::kDefaultTabSize;  // every tab computation divides by it
    return parent_.*field;
}

int DocumentConfig::Get(Layout key) const
{
    for (std::size_t level = levels_.size(); level-- > 0;)
        if (inForce_[level] && levels_[level][Index(key)])
            return *levels_[level][Index(key)];
    return ParentValue(key);
}

void DocumentConfig::Set(Layout key, int value)
{
    std::size_t level = levels_.size() - 1;
    while (level > 0 && !(inForce_[level] && levels_[level][Index(key)]))
        --level;
    levels_[level][Index(key)] = value;
}

void DocumentConfig::Forget(Layout key)
{
    for (Values& values : levels_)
        values[Index(key)].reset();
}

void DocumentConfig::Impose(LayoutLevel level, std::initializer_list<std::pair<Layout, int>> values)
{
    inForce_[Index(level)] = true;
    for (const auto& [key, value] : values)
        levels_[Index(level)][Index(key)] = value;
}

void DocumentConfig::Lift(LayoutLevel level)
{
    if (level == LayoutLevel::User)
        return;  // the user's level is always in force
    inForce_[Index(level)] = false;
    levels_[Index(level)] = Values{};
}

void DocumentConfig::KeepUserChoicesIn(Settings& settings) const
{
    const Values& user = levels_[Index(LayoutLevel::User)];
    for (std::size_t key = 0; key < user.size(); ++key)
        if (const auto field = Field(static_cast<Layout>(key)); field && user[key])
            settings.*field = *user[key];
}

}  // namespace quill
