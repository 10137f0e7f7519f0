// Copy, cut and paste of the selection, in the desktop's plain text and the editor's block format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/UserPorts.h"
#include "view/TextEditing.h"

namespace quill {

class Document;
class Clipboard;
struct ViewState;
struct SelectionRange;

class ClipboardEditing {
public:
    ClipboardEditing(Document& doc, ViewState& view, Clipboard& clipboard);

    /// Puts the selection on the clipboard; false without a selection, when the memory for it
    /// cannot be had ("Not enough memory!") or the clipboard refused it.
    bool Copy();
    /// Copy, then delete the selection.
    bool Cut();
    /// Inserts the clipboard at the cursor: a block as a block, text as text; asBlock forces a block.
    void Paste(bool asBlock = false);
    /// Offers the selection as the X11 primary selection (after the mouse or Shift selected it).
    /// A selection larger than kPrimaryLimit is not offered: copying it at every selection would
    /// make selecting slow; the clipboard takes it.
    void OfferPrimary();
    /// The middle button: the primary selection goes in at the cursor, as typed text goes.
    void PastePrimary();
    static constexpr std::int64_t kPrimaryLimit = 16 << 20;
    /// "Paste && Replace Counter": asks for the counter's start and increment and how often to
    /// paste; each paste has its counter markers replaced by the counter, which then moves on.
    bool PasteWithCounter();
    /// The clipboard's stored bytes (from the block format, or the text: UTF-8 as it is, or through
    /// an active table's input table) and whether they are a block; none, after saying which, when
    /// the table has no bytes for some of its characters.
    std::optional<std::string> ClipboardBytes(bool& block);
    /// Inserts bytes at the cursor as a paste does (block: each line at the cursor column on
    /// consecutive lines). One undo group.
    void Insert(const std::string& bytes, bool block);

    /// The selected bytes as the clipboard gets them (stored bytes; a block padded per line);
    /// withHeader: in the private format, its head in front.
    std::string SelectedBytes(const SelectionRange& range, bool withHeader = false);
    /// The stored bytes for a text in UTF-8 from another program; none (told) when the table has
    /// no bytes for some of its characters.
    std::optional<std::string> StoredFromText(const std::string& text);
    /// The characters of stored bytes as other programs get them (UTF-8).
    std::string ShownText(const std::string& stored) const;

    /// The private format: a block flag byte, the byte count (32-bit little-endian), the bytes.
    static std::string EncodePrivate(bool block, const std::string& bytes);
    static bool DecodePrivate(std::string data, bool& block, std::string& bytes);
    /// Fills in the head of the private format in front of the bytes of data.
    static void WriteHeader(std::string& data, bool block);

private:
    void InsertLines(const std::string& bytes);
    void FinishPaste(LineIndex line, std::int64_t column);
    void DeleteColumns(LineIndex line, Column column, std::int64_t count);
    /// Splits a line at a column (padding it with blanks up to there); returns the right part.
    std::string SplitAt(LineIndex line, Column column, std::string& left);
    void ReplaceLine(LineIndex line, const std::string& bytes);
    /// The cells of the pasted text's line that begins at `from`.
    std::int64_t FirstLineCells(const std::string& bytes, std::size_t from) const;
    /// The column after the bytes of a line's beginning.
    std::int64_t ColumnAfter(const std::string& lineStart) const;

    Document& doc_;

    UserPorts ports_;  ///< taken from the document when made
    ViewState& view_;
    Clipboard& clipboard_;
    TextEditing editing_;
    // The last values of Paste && Replace Counter, offered again.
    std::string counterStart_ = "1";
    std::string counterIncrement_ = "1";
    std::string pasteTimes_ = "1";
};

}  // namespace quill
