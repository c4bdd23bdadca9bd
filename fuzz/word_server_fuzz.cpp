// Our Word server driven by random call sequences: each input byte picks a member of the
// Selection, its font, paragraph format, tables or page setup, and the following bytes give its
// arguments. Refused calls are expected; afterwards the package must still be a zip archive
// whose XML parts parse.
#include "export/automation_wrappers.h"
#include "export/word_server.h"
#include "export/word_server_docx.h"
#include "platform/utf8.h"
#include "platform/xml.h"
#include "platform/zip_archive.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Object = CWordDispatch;

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool More() const { return m_at < m_size; }
    int Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    int Signed() { return static_cast<int8_t>(Byte()); }
    std::u16string Text()
    {
        std::u16string text;
        const int length = Byte() % 8;
        for (int i = 0; i < length; ++i)
            text += static_cast<char16_t>(Byte() | (Byte() << 8));
        return text;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

void Call(Object& selection, Object& document, Object& table, Input& in)
{
    VARIANT unit = VARIANT::Long(1);
    switch (in.Byte() % 20) {
    case 0: selection.TypeText(in.Text().c_str()); break;
    case 1: selection.TypeParagraph(); break;
    case 2: selection.TypeBackspace(); break;
    case 3: {
        VARIANT type = VARIANT::Long(in.Byte() % 12);
        selection.InsertBreak(&type);
        break;
    }
    case 4: {
        VARIANT count = VARIANT::Long(in.Signed());
        selection.MoveStart(&unit, &count);
        break;
    }
    case 5: Object(selection.GetRange()).PhoneticGuide(in.Text().c_str(), in.Byte() % 7, 0, in.Byte(), "x"); break;
    case 6: {
        VARIANT count = VARIANT::Long(in.Signed());
        selection.Move(&unit, &count);
        break;
    }
    case 7: table.AttachDispatch(Object(document.GetTables()).AddTable(selection.GetRange(), in.Byte() % 5, in.Byte() % 5)); break;
    case 8: Object(Object(table.Cell(in.Byte() % 5, in.Byte() % 5)).GetRange()).Select(); break;
    case 9: {
        VARIANT count = VARIANT::Long(in.Byte() % 4);
        VARIANT extend = VARIANT::Long(0);
        selection.MoveRight(&unit, &count, &extend);
        break;
    }
    case 10: {
        VARIANT what = VARIANT::Long(1);
        VARIANT which = VARIANT::Long(2);
        VARIANT count = VARIANT::Missing();
        VARIANT name = VARIANT::Long(in.Byte() % 4);
        Object(selection.GoTo(&what, &which, &count, &name));
        break;
    }
    case 11: Object(selection.GetFont()).SetColorIndex(in.Byte() % 20); break;
    case 12: Object(selection.GetFont()).SetSize(static_cast<float>(in.Signed()) / 2); break;
    case 13: Object(selection.GetFont()).SetUnderline(in.Byte() % 30); break;
    case 14: table.Select(); break;
    case 15: selection.SetTextOrientation(in.Byte() % 7); break;
    case 16: selection.SelectColumn(); break;
    case 17: Object(selection.GetParagraphFormat()).SetLeftIndent(static_cast<float>(in.Signed() * 10)); break;
    case 18: Object(Object(table.GetRows()).RowsItem(in.Byte() % 4)).SetRowHeight(static_cast<float>(in.Signed())); break;
    case 19: Object(selection.GetColumns()).SetDispId105(static_cast<float>(in.Signed() * 4)); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Object app(NewWordServer());
    Object documents(app.GetDocuments());
    VARIANT a = VARIANT::Missing();
    VARIANT b = VARIANT::Missing();
    Object document(documents.AddDocument(&a, &b));
    Object selection(Object(Object(document.GetActiveWindow()).GetActivePane()).GetSelection());
    Object table;
    Input in(data, size);
    while (in.More()) {
        try {
            Call(selection, document, table, in);
        } catch (const COleDispatchException&) {
        } catch (const COleException&) {
        }
    }
    CWordDocumentModel* model = WordServerModel(document.m_lpDispatch);
    if (model == nullptr)
        std::abort();
    std::string archive;
    std::vector<ZIP_ENTRY> entries;
    if (!WriteZipArchive(WordPackageParts(*model), &archive) || !ReadZipArchive(archive, &entries))
        std::abort();
    for (const ZIP_ENTRY& entry : entries) {
        if (entry.name.ends_with(".png"))
            continue;
        XmlDocument xml;
        if (!xml.loadXML(Utf8ToUtf16(entry.bytes)))
            std::abort();
    }
    return 0;
}
