#include "dialogs/font_lists.h"

#include "base/gdi_cache.h"
#include "platform/codepage.h"

#include <QComboBox>
#include <QIcon>

namespace {

constexpr unsigned kOpenTypeFlag = 0x40000;

}  // namespace

QString FaceName(const LOGFONTA& font)
{
    return QString::fromStdU16String(Cp932ToWide(std::string_view(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE))));
}

void FillInstalledFontList(QComboBox* list, bool withIcons)
{
    const QIcon plain(":/dialogs/icons/151.svg");
    const QIcon openType(":/dialogs/icons/150.svg");
    list->clear();
    const int count = GetInstalledFontCount();
    for (int i = 0; i < count; ++i) {
        LOGFONTA font{};
        if (GetInstalledFont(i, &font) < 0)
            continue;
        if (!withIcons) {
            list->addItem(FaceName(font));
            continue;
        }
        NEWTEXTMETRICA metrics{};
        GetInstalledFontMetric(i, &metrics);
        list->addItem((metrics.ntmFlags & kOpenTypeFlag) != 0 ? openType : plain, FaceName(font));
    }
}

void SelectFontFace(QComboBox* list, const QString& face)
{
    const int at = list->findText(face, Qt::MatchExactly | Qt::MatchCaseSensitive);
    list->setPlaceholderText(at < 0 ? face : QString());
    list->setCurrentIndex(at);
}

bool ChosenInstalledFont(const QComboBox* list, LOGFONTA* font)
{
    const int chosen = list->currentIndex();
    return chosen >= 0 && chosen < GetInstalledFontCount() && GetInstalledFont(chosen, font) >= 0;
}
