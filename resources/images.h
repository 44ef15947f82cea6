// Icons 128 and 131, bitmap 149 and cursor 104, drawn once on first use.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace res {

QIcon LoadIcon(int id);
QPixmap LoadBitmap(int id);
QCursor LoadCursor(int id);

}  // namespace res
