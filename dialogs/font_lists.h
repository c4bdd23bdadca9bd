// The installed-font lists of the dialogs: every installed face in the list's order, the
// OpenType ones marked by an icon where asked. A face that is not installed selects nothing and
// shows its name greyed, so "no choice" is a state of its own and every entry can be chosen.
#pragma once

#include "platform/win_types.h"

#include <QString>

class QComboBox;

void FillInstalledFontList(QComboBox* list, bool withIcons);
// Selects the face's entry; none, with the face shown as the list's placeholder, when absent.
void SelectFontFace(QComboBox* list, const QString& face);
// The chosen installed font; false when nothing is chosen.
bool ChosenInstalledFont(const QComboBox* list, LOGFONTA* font);
QString FaceName(const LOGFONTA& font);
