#include "printfile/fo_keywords.h"

#include "platform/codepage.h"
#include "printfile/template_emitters.h"

const char16_t* LineStyleKeyword(int style)
{
    static const char16_t* const names[] = {u"solid", u"double", u"dotted", u"dashed",
                                            u"dot-dash", u"dot-dot-dash", u"wave"};
    return style >= 1 && style <= 7 ? names[style - 1] : nullptr;
}

const char16_t* BackgroundPatternKeyword(int pattern)
{
    static const char16_t* const names[] = {u"horizontal", u"vertical", u"fdiagonal",
                                            u"bdiagonal",  u"cross",    u"diagcross"};
    return pattern >= 1 && pattern <= 6 ? names[pattern - 1] : nullptr;
}

const char16_t* NumberingTypeKeyword(int type)
{
    static const char16_t* const names[] = {u"maru", u"kakko", u"kana", u"alpha", u"alpha-cap", u"string"};
    return type >= 1 && type <= 6 ? names[type - 1] : u"";
}

CStringW FaceNameText(const char (&face)[LF_FACESIZE])
{
    return CStringW(std::u16string_view(Cp932ToWide(FaceNameView(face))));
}

void WriteNumberingAttributes(XmlNode& element, const CKasenRenbanProperties& numbering)
{
    if (numbering.m_renbanType <= RenbanType::kNone)
        return;
    element.setAttribute(u"bango-type", NumberingTypeKeyword(numbering.m_renbanType));
    if (numbering.m_renbanType == RenbanType::kString)
        element.setAttribute(u"bango-string", numbering.m_renbanString.View());
    if (numbering.m_renbanForce > 0) {
        CStringW force;
        force.Format(u"%d", numbering.m_renbanForce);
        element.setAttribute(u"bango-force", force.View());
    }
    if (!FaceNameView(numbering.m_renbanFace).empty())
        element.setAttribute(u"bango-font-family", FaceNameText(numbering.m_renbanFace).View());
    if (numbering.KeepsUnreadableSizeText())
        element.setAttribute(u"bango-font-size", numbering.m_unreadableRenbanSizeText.View());
    else if (numbering.m_renbanSize != 0)
        element.setAttribute(u"bango-font-size", FormatHalfPoints(numbering.m_renbanSize).View());
}
