#include "platform/fonts.h"

#include <QFontDatabase>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace platform {
namespace {

QString FirstInstalled(const QStringList& wanted, bool monospace) {
    const QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
    for (const QString& w : wanted) {
        if (families.contains(w, Qt::CaseInsensitive)) return w;
    }
    for (const QString& f : families) {
        if (!monospace || QFontDatabase::isFixedPitch(f)) return f;
    }
    return families.isEmpty() ? QString() : families.first();
}

void RegisterSubstitutions() {
    static bool done = false;
    if (done) return;
    done = true;
    QString gothic = FirstInstalled({QStringLiteral("IPAGothic"),
                                     QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("VL Gothic")},
                                    true);
    QString pgothic = FirstInstalled({QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                                      QStringLiteral("VL PGothic")},
                                     false);
    if (pgothic.isEmpty()) pgothic = gothic;
    if (!gothic.isEmpty()) {
        QFont::insertSubstitution(QString::fromUtf8(kGothicFace), gothic);
        QFont::insertSubstitution(QStringLiteral("MS Gothic"), gothic);
    }
    if (!pgothic.isEmpty()) {
        QFont::insertSubstitution(QString::fromUtf8(kPGothicFace), pgothic);
        QFont::insertSubstitution(QStringLiteral("MS PGothic"), pgothic);
    }
}

}  // namespace

QFont PointFont(std::string_view faceUtf8, int tenthsOfPoint) {
    RegisterSubstitutions();
    QFont font(QString::fromUtf8(faceUtf8.data(), static_cast<qsizetype>(faceUtf8.size())));
    if (tenthsOfPoint > 0) font.setPointSizeF(tenthsOfPoint / 10.0);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QFont WindowFont(int fontSizePoints) {
    const int points = fontSizePoints <= 0 ? 0 : std::min(fontSizePoints, kMaxFontPoints);
    return PointFont(kGothicFace, points * 10);
}

}  // namespace platform
