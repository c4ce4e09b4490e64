#include "preview/preview_export.h"

#include "program/box_program.h"

#include <QStringList>

namespace vz::preview {

QString clipboardLine(int page, int number, int channel, int fire, int wait) {
    QStringList items{QStringLiteral("ZDSeqStart"), QString::number(page), QString::number(number),
                      QString::number(channel), QString::number(fire)};
    if (page >= 4)
        items << QString::number(wait);
    items << QStringLiteral("ZDSeqEnd");
    return items.join(QLatin1Char(' '));
}

QString clipboardLine(const BoxProgram& program, int page, int number) {
    if (page == kPageSingle && number >= 1 && number <= kModules) {
        const SingleProgram& s = program.singleAt(number);
        return clipboardLine(page, number, s.ch + 1, s.fire, 0);
    }
    if (page >= 1 && page <= 3 && number >= 1 && number <= kGroupVariants) {
        const GroupProgram& g = program.groupAt(page - 1, number);
        return clipboardLine(page, number, g.ch + 1, g.fire, 0);
    }
    if (page >= 4 && page <= 8 && number >= 1 && number <= kSeqVariants) {
        const SequenceProgram& s = program.seqAt(page - 4, number);
        return clipboardLine(page, number, s.ch + 1, s.fire, s.wait);
    }
    return QString();
}

} // namespace vz::preview
