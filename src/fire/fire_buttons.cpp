#include "fire/fire_buttons.h"

#include "base/unit_service.h"
#include "fire/hotkeys.h"

namespace vz {

int fireButtonTag(const BoxProgram& program, int family, int number) {
    if (!isFireButton(family, number))
        return -1;
    if (family == 0)
        return program.singleAt(number).ch + 1;
    if (family <= 3)
        return program.groupAt(family - 1, number).ch + 1;
    if (family <= 8)
        return program.seqAt(family - 4, number).ch + 1;
    return number;
}

bool fireButtonShown(const BoxProgram& program, int family, int number) {
    if (!isFireButton(family, number))
        return false;
    if (family == 0)
        return number <= program.moduleCount();
    if (family <= 3)
        return true;
    if (family <= 8)
        return program.seqAt(family - 4, number).chk;
    return program.macros[number - 1].active;
}

QString fireRefusal(const BoxProgram& program, int family, int number, int runningMacro) {
    if (!isFireButton(family, number))
        return QStringLiteral("no such button");
    const QString button = (family == 0   ? QStringLiteral("single")
                            : family == 9 ? QStringLiteral("macro")
                                          : pageCode(family)) +
                           QLatin1Char(' ') + QString::number(number);
    if (fireButtonShown(program, family, number))
        return family == 9 && runningMacro > 0
                   ? QStringLiteral("macro %1 is running").arg(runningMacro)
                   : QString();
    const QString why = family == 0   ? QStringLiteral("%1 modules").arg(program.moduleCount())
                        : family == 9 ? QStringLiteral("inactive")
                                      : QStringLiteral("not in use");
    return button + QStringLiteral(" is not shown (") + why + QLatin1Char(')');
}

QString fireBaseHint(const BoxProgram& program, int family, int number, const QLocale& locale) {
    if (!isFireButton(family, number) || family == 9)
        return QString();
    const QString sep = QStringLiteral(": ");
    if (family == 0)
        return get_text(names::caption(family, 2, 'A')) + sep +
               formatTime(program.singleAt(number).fire, locale);
    if (family <= 3)
        return get_text(names::caption(family, 2, 'A')) + sep +
               formatTime(program.groupAt(family - 1, number).fire, locale);
    const SequenceProgram& s = program.seqAt(family - 4, number);
    return get_text(names::caption(family, 1, 'A')) + sep + formatTime(s.fire, locale) +
           QStringLiteral("\n\r") + get_text(names::caption(family, 2, 'A')) + sep +
           formatTime(s.wait, locale);
}

QString fireHint(const QString& baseHint, const HotkeyTable& hotkeys, int family, int number) {
    return baseHint + hotkeys.hotkeyLines(family, number);
}

} // namespace vz
