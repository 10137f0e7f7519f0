// Structure descriptions: files, selection by mask, the fields of a record.
#include "structure/StructureDescription.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "common/BackslashCodes.h"
#include "common/Format.h"
#include "common/StagedFile.h"
#include "common/TextCase.h"
#include "platform/Prompter.h"
#include "structure/PathMask.h"
#include "structure/ProfileFile.h"
#include "text/CellColumns.h"
#include "text/FileStatus.h"

namespace quill {

namespace {
const char kGeneral[] = "<General>";
}

void StructureDescription::Reset()
{
    active_ = false;
    name_ = "<UNSTRUCTURED>";
    recordLength_ = 0;
    type_ = kOffsetAndLength;
    delimiter_ = ";";
    masks_.clear();
    fields_.clear();
    recordTypeField_ = nullptr;
    cursor_ = 0;
}

bool StructureDescription::Load(const std::string& path)
{
    ProfileFile file;
    if (!file.Load(path))
        return false;
    Reset();
    name_ = SplitPath(path).name;
    recordLength_ = file.GetInt32(kGeneral, "RecordLength", 0);
    type_ = file.GetInt32(kGeneral, "Type", 0);
    file.GetString(kGeneral, "Delimiter", delimiter_);
    for (const std::string& section : file.DescriptionSections(masks_)) {
        auto field = std::make_unique<FieldDef>();
        field->name = UpperCp1252(section.size() > 5 ? section.substr(0, section.size() - 5) : std::string());
        field->offset = file.GetInt32(section, "Offset", 0);
        field->length = file.GetInt32(section, "Length", 0);
        field->color = file.GetInt32(section, "Color", 0);
        field->isRecordType = file.GetInt(section, "Type", 0) == 1;
        file.GetString(section, "TypeValue", field->typeValue);
        file.GetString(section, "Comment", field->comment);
        FieldDef& added = AddField(std::move(field));
        if (added.isRecordType)
            recordTypeField_ = &added;  // the last one marked wins
    }
    active_ = true;
    return true;
}

bool StructureDescription::Save(const std::string& dataFolder, Prompter& prompter) const
{
    if (!active_)
        return false;
    ProfileFile file;
    file.AddInt(kGeneral, "RecordLength", recordLength_);
    file.AddInt(kGeneral, "Type", type_);
    if (type_ != kOffsetAndLength)
        file.AddString(kGeneral, "Delimiter", delimiter_);
    for (const std::string& mask : masks_)
        file.AddString(kGeneral, "Mask", mask);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const FieldDef& field = *fields_[i];
        const std::string section = Format("%s_%04d", field.name.c_str(), static_cast<int>(i));
        file.AddInt(section, "Offset", field.offset);
        file.AddInt(section, "Length", field.length);
        file.AddInt(section, "Color", field.color);
        file.AddInt(section, "Type", field.isRecordType ? 1 : 0);
        file.AddString(section, "TypeValue", field.typeValue);
        file.AddString(section, "Comment", field.comment);
    }
    std::ostringstream bytes;
    file.Write(bytes);
    const std::string path = dataFolder + "/" + name_ + ".ini";
    if (int error = WriteFileAtomically(path, bytes.str())) {
        prompter.Error(Format("Can\xB4t write %s!\n%s", path.c_str(), std::strerror(error)));
        return false;
    }
    return true;
}

bool StructureDescription::MatchesFile(const std::string& path) const { return AnyMaskMatches(masks_, path); }

bool StructureDescription::SelectForFile(const std::string& path, const std::string& dataFolder)
{
    for (const std::string& file : DescriptionFiles(dataFolder, ".ini")) {
        if (Load(file) && MatchesFile(path)) {
            documentPath_ = path;
            return true;
        }
    }
    Reset();
    return false;
}

FieldDef& StructureDescription::AddField(std::unique_ptr<FieldDef> field)
{
    fields_.push_back(std::move(field));
    return *fields_.back();
}

std::size_t StructureDescription::IndexOf(const FieldDef* field) const
{
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].get() == field)
            return i;
    return fields_.size();
}

void StructureDescription::DeleteField(const FieldDef* field)
{
    const std::size_t i = IndexOf(field);
    if (i == fields_.size())
        return;
    if (recordTypeField_ == field)
        recordTypeField_ = nullptr;
    fields_.erase(fields_.begin() + static_cast<std::ptrdiff_t>(i));
}

void StructureDescription::SwapFields(std::size_t i, std::size_t j)
{
    if (i < fields_.size() && j < fields_.size())
        std::swap(fields_[i], fields_[j]);
}

// ---- The fields of a record ---------------------------------------------------------------------

std::string StructureDescription::ContentOf(LineView record, const FieldDef& field, const DisplayRules& rules) const
{
    // A fixed field is read by its offset and length, a delimited one by what the split found.
    const bool delimited = type_ == kDelimiter;
    const std::int64_t from = delimited ? field.byteOffset : field.offset;
    const std::int64_t length = delimited ? field.byteLength : field.length;
    const std::int64_t end = ContentLength(record, rules);
    if (from < 0 || from >= end || length <= 0)
        return {};
    return std::string(record.Bytes() + from, static_cast<std::size_t>(std::min(length, end - from)));
}

std::string StructureDescription::RecordTypeOf(LineView record, const DisplayRules& rules) const
{
    return recordTypeField_ ? ContentOf(record, *recordTypeField_, rules) : std::string();
}

bool StructureDescription::Applies(const FieldDef& field, const std::string& type) const
{
    return field.isRecordType || !recordTypeField_ || field.typeValue == type;
}

void StructureDescription::BeginFields(LineView record, const DisplayRules& rules)
{
    PlaceFields(record, rules);
    cursor_ = 0;
    cursorType_ = RecordTypeOf(record, rules);
}

FieldDef* StructureDescription::NextField()
{
    while (cursor_ < fields_.size()) {
        FieldDef* field = fields_[cursor_++].get();
        if (Applies(*field, cursorType_))
            return field;
    }
    return nullptr;
}

std::vector<FieldDef*> StructureDescription::FieldsOf(LineView record, const DisplayRules& rules)
{
    std::vector<FieldDef*> result;
    BeginFields(record, rules);
    while (FieldDef* field = NextField())
        result.push_back(field);
    return result;
}

FieldDef* StructureDescription::FieldAt(LineView record, std::int64_t column, const DisplayRules& rules)
{
    BeginFields(record, rules);
    while (FieldDef* field = NextField())
        if (field->column <= column && column < field->ColumnEnd())
            return field;
    return nullptr;
}

void StructureDescription::PlaceFields(LineView record, const DisplayRules& rules)
{
    SplitRecord(record, rules);
    const CellColumns columns(record, rules);
    for (auto& field : fields_) {
        field->column = columns.After(field->byteOffset);
        field->width = columns.After(field->byteOffset + std::max<std::int64_t>(field->byteLength, 0)) - field->column;
    }
}

void StructureDescription::SplitRecord(LineView record, const DisplayRules& rules)
{
    if (type_ != kDelimiter) {
        for (auto& field : fields_) {
            field->byteOffset = field->offset;
            field->byteLength = field->length;
        }
        return;
    }
    std::string delimiter = delimiter_;
    InterpretBackslashes(delimiter);
    const int d = delimiter.empty() ? -1 : static_cast<std::uint8_t>(delimiter[0]);
    std::uint32_t i = 0;
    bool typeSeen = false;
    for (auto& owned : fields_) {
        FieldDef& field = *owned;
        // The record type is known once its field has been split; the fields before it apply to all.
        if (typeSeen && recordTypeField_ && field.typeValue != ContentOf(record, *recordTypeField_, rules))
            continue;
        field.byteOffset = i;
        while (i < record.Length()) {
            const std::uint8_t byte = record.ByteAt(i);
            if (byte == d || byte == rules.cr || byte == rules.lf)
                break;
            ++i;
        }
        field.byteLength = std::int64_t{i} - field.byteOffset;
        ++i;
        if (field.isRecordType)
            typeSeen = true;
    }
}

}  // namespace quill
