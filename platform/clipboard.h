// The clipboard and its private formats. A format registered by name is carried as a MIME type
// of its own ("application/x-qn-" and the name), so that the programs of the suite find each
// other's data and no other program mistakes it for its own.
#pragma once

#include "platform/win_types.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The id of the format registered under name (the same id for the same name, from 0xC000 up);
// 0 for an empty name.
UINT RegisterClipboardFormat(const char* name);
// The MIME type a registered format travels as; empty for an id that was not registered.
std::string ClipboardFormatMimeType(UINT format);

// Replaces the clipboard's contents with bytes under the format. False when there is no
// clipboard (no GUI application) or the format is not registered.
bool SetClipboardData(UINT format, std::span<const BYTE> bytes);
bool IsClipboardFormatAvailable(UINT format);
// The bytes under the format; false, and out emptied, when the clipboard does not offer it.
bool GetClipboardData(UINT format, std::vector<BYTE>& out);

// --- the standard formats other programs exchange
constexpr UINT CF_TEXT = 1;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_UNICODETEXT = 13;

// Replaces the clipboard's contents with plain text, as other programs read it.
bool SetClipboardUnicodeText(std::u16string_view text);
// The clipboard's plain text, up to its first zero; false when it offers none.
bool GetClipboardUnicodeText(std::u16string& out);
// Text that another program tags with a Japanese legacy charset (Shift_JIS, Windows-31J, CP932),
// as its bytes up to the first zero byte; false when there is none.
bool GetClipboardCp932Text(std::string& out);
// Replaces the clipboard's contents with the picture of a packed DIB; false for a DIB that is not
// valid.
bool SetClipboardDib(std::span<const BYTE> packedDib);
// The clipboard's picture as a packed DIB, checked whole; false when it offers none that decodes.
bool GetClipboardDib(std::vector<BYTE>& out);

// The clipboard's whole contents, kept while a command of the program uses the clipboard for
// its own transfers, and put back when it ends, so the user loses nothing.
class CClipboardContents {
public:
    CClipboardContents();
    ~CClipboardContents();
    CClipboardContents(const CClipboardContents&) = delete;
    CClipboardContents& operator=(const CClipboardContents&) = delete;

    // Copies the clipboard's contents (nothing when there is no clipboard); a second call
    // changes nothing.
    void Take();
    bool IsTaken() const { return m_taken; }
    // Replaces the clipboard's contents with what was taken (an empty clipboard stays empty).
    void Restore();

private:
    struct SAVED;
    std::unique_ptr<SAVED> m_saved;
    bool m_taken = false;
};
