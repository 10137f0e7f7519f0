// The record layout of a file: fields by offset and length or by delimiter, record types, colours.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "structure/FieldDef.h"
#include "text/DisplayRules.h"
#include "text/LineView.h"

namespace quill {

class Prompter;

/// The document's one structure description, stored as QVXData/<Name>.ini. While it is active the
/// view colours its fields and the field commands work on them.
class StructureDescription {
public:
    enum Type { kOffsetAndLength = 0, kDelimiter = 1 };

    StructureDescription() { Reset(); }

    void Reset();
    /// Reads a description file; false, leaving the description unchanged, when it cannot be read.
    bool Load(const std::string& path);
    /// Writes QVXData/<Name>.ini; shows "Can´t write %s!\n%s" and returns false on failure.
    bool Save(const std::string& dataFolder, Prompter& prompter) const;
    /// Loads the first description of the data folder whose masks match the path; resets when none does.
    bool SelectForFile(const std::string& path, const std::string& dataFolder);
    bool MatchesFile(const std::string& path) const;

    /// The fields that apply to a record, in list order, with their bytes and cells on its row.
    void BeginFields(LineView record, const DisplayRules& rules);
    FieldDef* NextField();
    /// All fields that apply to a record.
    std::vector<FieldDef*> FieldsOf(LineView record, const DisplayRules& rules);
    /// The first applying field covering a display column, or none.
    FieldDef* FieldAt(LineView record, std::int64_t column, const DisplayRules& rules);
    /// Finds the bytes of the applying fields of a record (byteOffset and byteLength): a delimited
    /// record is split, a fixed field's bytes are its offset and length.
    void SplitRecord(LineView record, const DisplayRules& rules);
    /// SplitRecord, and the cells of every field on the record's row (column and width).
    void PlaceFields(LineView record, const DisplayRules& rules);
    /// A record's content at the record-type field (empty without one).
    std::string RecordTypeOf(LineView record, const DisplayRules& rules) const;
    /// Whether a field applies to a record whose record-type content is `type`.
    bool Applies(const FieldDef& field, const std::string& type) const;
    /// The bytes of a field in a record: from its offset, at most its length, cut before the
    /// record's terminator. Delimited records are read by the byte range the split found.
    std::string ContentOf(LineView record, const FieldDef& field, const DisplayRules& rules) const;

    // Members as the description files and the dialogs know them.
    bool IsActive() const { return active_; }
    void SetActive(bool active) { active_ = active; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    int RecordLength() const { return recordLength_; }
    void SetRecordLength(int length) { recordLength_ = length; }
    int FieldType() const { return type_; }
    void SetFieldType(int type) { type_ = type; }
    const std::string& Delimiter() const { return delimiter_; }
    void SetDelimiter(std::string delimiter) { delimiter_ = std::move(delimiter); }
    std::vector<std::string>& Masks() { return masks_; }
    const std::vector<std::string>& Masks() const { return masks_; }
    const std::string& DocumentPath() const { return documentPath_; }
    void SetDocumentPath(std::string path) { documentPath_ = std::move(path); }

    std::size_t FieldCount() const { return fields_.size(); }
    FieldDef& Field(std::size_t i) { return *fields_[i]; }
    const FieldDef& Field(std::size_t i) const { return *fields_[i]; }
    FieldDef* RecordTypeField() const { return recordTypeField_; }
    void SetRecordTypeField(FieldDef* field) { recordTypeField_ = field; }
    /// Appends a field; the description owns it.
    FieldDef& AddField(std::unique_ptr<FieldDef> field);
    /// Removes and frees a field (no record-type field any more when it was that).
    void DeleteField(const FieldDef* field);
    /// Exchanges the fields at i and j.
    void SwapFields(std::size_t i, std::size_t j);
    std::size_t IndexOf(const FieldDef* field) const;

private:
    bool active_ = false;
    std::string name_;
    std::string documentPath_;
    int recordLength_ = 0;
    int type_ = kOffsetAndLength;
    std::string delimiter_;
    std::vector<std::string> masks_;
    std::vector<std::unique_ptr<FieldDef>> fields_;
    FieldDef* recordTypeField_ = nullptr;
    std::size_t cursor_ = 0;
    std::string cursorType_;  ///< the record type of the record being iterated
};

}  // namespace quill
