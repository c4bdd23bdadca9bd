#include "export/export_labels.h"

#include "base/number_labels.h"

namespace {

bool IsQuestionPart(const EXPORT_PART* part) { return part != nullptr && part->kind != ExportPartKind::kLiteral; }

// A number in a label: half-width digits, or full-width ones in vertical writing.
CStringW Number(int value, bool vertical)
{
    CStringW text;
    if (vertical)
        FormatFullWidthNumber(value, text, 1);
    else
        text.Format(u"%d", value);
    return text;
}

}  // namespace

int ReadLabelNumber(std::u16string_view text)
{
    size_t at = 0;
    while (at < text.size() && (text[at] == u' ' || (text[at] >= u'\t' && text[at] <= u'\r')))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+'))
        negative = text[at++] == u'-';
    long long value = 0;
    bool digits = false;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        digits = true;
        if (value < 0x7fffffffLL)
            value = value * 10 + (text[at] - u'0');
    }
    if (!digits)
        return 0;
    if (value > 0x7fffffffLL)
        value = 0x7fffffffLL;
    return static_cast<int>(negative ? -value : value);
}

CStringW MajorNumberLabel(const EXPORT_PART* part, bool vertical)
{
    CStringW text;
    if (!IsQuestionPart(part))
        return text;
    if (vertical)
        FormatKanjiNumber(part->major, text, 1);
    else
        text.Format(u"[%d]", part->major);
    return text;
}

CStringW MinorNumberLabel(const EXPORT_PART* part, bool vertical)
{
    CStringW text;
    if (!IsQuestionPart(part))
        return text;
    if (vertical)
        FormatFullWidthNumber(part->minor, text, 1);
    else
        text.Format(u"　(%d)", part->minor);
    return text;
}

CStringW PointsLabelText(const POINTS_LABEL& label, const EXPORT_PART* part, bool vertical)
{
    if (!IsQuestionPart(part))
        return CStringW();
    const CStringW p1 = Number(label.p1, vertical);
    const CStringW p2 = Number(label.p2, vertical);
    const CStringW p3 = Number(label.p3, vertical);
    switch (label.type) {
    case 1:
        return u"(" + p3 + u"点)";
    case 2:
        return u"(各" + p1 + u"点×" + p2 + u"=" + p3 + u"点)";
    case 3:
        return u"(各" + p1 + u"点:計" + p3 + u"点)";
    case 4:
        return (part->minor > 0 ? CStringW(u"(") : CStringW(u"(計")) + p3 + u"点)";
    default:
        return CStringW();
    }
}
