// Icons 128 and 131, bitmap 149 and cursor 104, drawn once on first use.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace res {

QIcon LoadIcon(int id);
// One icon drawn at size x size pixels, for the installed desktop icons;
// needs no QGuiApplication.
QImage RenderIcon(int id, int size);
QPixmap LoadBitmap(int id);
QCursor LoadCursor(int id);

}  // namespace res
