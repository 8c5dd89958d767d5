#pragma once
// The main window's side of DIY drawing, in two calls:
//
//   m_strDiyPicturePath = wheel::DiyPicturePath();      // "DIY" pressed
//   wheel::RunDiyRoundTrip(this, m_strDiyPicturePath);
//
//   if (g_bDiyPictureReady.exchange(false))      // every timer tick
//       LoadPicture(m_strDiyPicturePath);

#include "diy/DiyTemplate.h"

#include <QString>

class QWidget;

namespace wheel {

// Writes the blank template into `path` and runs the DIY dialog on it,
// modally over `parent`. When the template cannot be written the user is
// told where and why, and no dialog opens. The dialog's result is not looked
// at: a confirmed drawing raises g_bDiyPictureReady.
void RunDiyRoundTrip(QWidget* parent, const QString& path);

} // namespace wheel
