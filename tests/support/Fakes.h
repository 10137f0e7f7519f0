// Scripted stand-ins for the desktop: progress window, settings store, file dialog and view.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "document/DocumentView.h"
#include "platform/Clipboard.h"
#include "platform/EntryDialog.h"
#include "platform/FileDialogs.h"
#include "platform/FileWatcher.h"
#include "platform/ProgressWindow.h"
#include "platform/SettingsStore.h"
#include "settings/Settings.h"

namespace quill::test {

/// Records the steps and reports Escape at the step numbers it is told.
class FakeProgress : public ProgressWindow {
public:
    void Begin(std::int64_t range) override
    {
        ranges.push_back(range);
        ++open;
        if (onBegin)
            onBegin();
    }
    bool Step(std::int64_t position) override
    {
        positions.push_back(position);
        return escapeAtStep >= 0 && static_cast<std::int64_t>(positions.size()) == escapeAtStep;
    }
    void End() override { --open; }
    bool IsActive() const override { return open > 0; }

    std::vector<std::int64_t> ranges;
    std::vector<std::int64_t> positions;
    std::int64_t escapeAtStep = -1;
    int open = 0;
    std::function<void()> onBegin;  ///< what happens meanwhile, in the world outside
};

class MemorySettingsStore : public SettingsStore {
public:
    std::optional<std::int64_t> ReadInt(const std::string& section, const std::string& key) override;
    std::optional<std::string> ReadString(const std::string& section, const std::string& key) override;
    std::optional<std::vector<std::uint8_t>> ReadBinary(const std::string& section, const std::string& key) override;
    void WriteInt(const std::string& section, const std::string& key, std::int64_t value) override;
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    void WriteBinary(const std::string& section, const std::string& key,
                     const std::vector<std::uint8_t>& value) override;
    void Remove(const std::string& section, const std::string& key) override;

    std::map<std::string, std::int64_t> ints;
    std::map<std::string, std::string> strings;
    std::map<std::string, std::vector<std::uint8_t>> binaries;
    std::vector<std::string> writeOrder;  ///< "section/key" in the order written
};

/// Answers the save dialog with a queued path, or cancels.
class FakeFileDialogs : public FileDialogs {
public:
    std::optional<std::string> AskSavePath(const std::string& proposedName, const std::string& extension) override
    {
        asked.push_back(proposedName + "|" + extension);
        return answer;
    }
    std::optional<std::string> AskFolder(const std::string& title, const std::string&) override
    {
        asked.push_back(title);
        return answer;
    }
    std::optional<std::string> answer;
    std::vector<std::string> asked;
};

/// Answers the entry dialog from a queue; cancels when the queue is empty.
class ScriptedEntry : public EntryDialog {
public:
    std::optional<std::string> AskValue(const std::string& label, const std::string& proposal) override
    {
        asked.push_back(label + "|" + proposal);
        if (answers.empty())
            return std::nullopt;
        std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    /// Takes one answer per value; a missing answer cancels.
    bool AskValues(const std::string& title, std::vector<EntryValue>& values) override
    {
        asked.push_back(title.empty() ? EntryTitle(values) : title);
        std::string proposal;
        for (const EntryValue& value : values)
            proposal += (proposal.empty() ? "" : " ") + value.text;
        proposed.push_back(proposal);
        for (EntryValue& value : values) {
            if (answers.empty())
                return false;
            value.text = answers.front();
            answers.erase(answers.begin());
        }
        return true;
    }
    std::vector<std::string> answers;
    std::vector<std::string> asked;
    /// The texts each dialog of values came up with, separated by spaces.
    std::vector<std::string> proposed;
};

/// Keeps the status panes and counts repaints.
class FakeView : public DocumentView {
public:
    void Changed(DocumentChange changes) override;
    void SetStatusText(StatusPane pane, const std::string& text) override { panes[pane] = text; }
    int PageColumns() const override { return pageWidth; }
    bool ShowsLastLine() const override { return showsLastLine; }

    int pageWidth = 80;
    std::map<StatusPane, std::string> panes;
    int redraws = 0;
    int rereads = 0;
    bool showsLastLine = true;
    int changesOnDisk = 0;
    int scrollResets = 0;
    int ensureVisible = 0;
    int structureChanges = 0;  ///< a structure was chosen or left
};

/// Lets this process have only `headroom` bytes of address space more than it uses now, for tests
/// of running out of memory (in a child process); false when the use cannot be read.
bool LimitAddressSpace(std::size_t headroom);

/// A clipboard in memory, as two running instances would share the desktop's.
/// Keeps what the document asked to watch; Notify plays a change on disk.
class FakeFileWatcher : public FileWatcher {
public:
    void Watch(const std::string& path) override { watched = path; }
    void Notify() { Changed(); }
    void Tick() { Ticked(); }
    std::string watched;
};

class FakeClipboard : public Clipboard {
public:
    bool Put(std::string newData, std::optional<std::string> shown) override
    {
        std::string newText = shown ? std::move(*shown) : newData.substr(5);
        data = std::move(newData);
        text = std::move(newText);
        return true;
    }
    std::optional<std::string> PrivateData() override { return data; }
    std::optional<std::string> Text() override { return text; }
    void PutPrimary(const std::string& selected) override { primary = selected; }
    std::optional<std::string> Primary() override { return primary; }

    std::optional<std::string> text;
    std::optional<std::string> data;
    std::optional<std::string> primary;
};

}  // namespace quill::test
