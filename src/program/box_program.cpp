#include "program/box_program.h"

#include <QRegularExpression>

namespace vz {

namespace {

const char* const kPageCodes[kProgramPages] = {"SGL", "all", "odd", "evn", "LR",
                                               "RL",  "AI",  "IA",  "X"};
const char* const kSymbols[kSeqFamilies] = {"|=====>", "<=====|", "|==><==|", "<==||==>",
                                            "|<====>|"};

constexpr int kFamilyAI = 2;
constexpr int kFamilyIA = 3;

QString num(int n) {
    return QString::number(n);
}

} // namespace

int Macro::stepCount() const {
    int n = 0;
    while (n < kMacroSlots && steps[n].type > -1)
        ++n;
    return n;
}

BoxProgram BoxProgram::startValues() {
    BoxProgram p;
    for (int n = 1; n <= kModules; ++n)
        p.singleAt(n).ch = singleProgramNumber(n) - 1;
    for (int k = 0; k < kGroupKinds; ++k)
        for (int v = 1; v <= kGroupVariants; ++v)
            p.groupAt(k, v).ch = groupProgramNumber(k, v) - 1;
    for (int f = 0; f < kSeqFamilies; ++f)
        for (int v = 1; v <= kSeqVariants; ++v)
            p.seqAt(f, v).ch = seqProgramNumber(f, v) - 1;
    return p;
}

bool BoxProgram::operator==(const BoxProgram& o) const {
    if (boxNr != o.boxNr || gasmodCount != o.gasmodCount || activeTab != o.activeTab)
        return false;
    for (int i = 0; i < kModules; ++i)
        if (single[i].fire != o.single[i].fire || single[i].ch != o.single[i].ch)
            return false;
    for (int k = 0; k < kGroupKinds; ++k)
        for (int v = 0; v < kGroupVariants; ++v)
            if (group[k][v].fire != o.group[k][v].fire || group[k][v].ch != o.group[k][v].ch)
                return false;
    for (int f = 0; f < kSeqFamilies; ++f)
        for (int v = 0; v < kSeqVariants; ++v) {
            const SequenceProgram& a = seq[f][v];
            const SequenceProgram& b = o.seq[f][v];
            if (a.fire != b.fire || a.wait != b.wait || a.ch != b.ch || a.chk != b.chk)
                return false;
        }
    return macros == o.macros;
}

int singleProgramNumber(int n) {
    return n;
}
int groupProgramNumber(int k, int v) {
    return 20 + (k + 1) + 3 * (v - 1);
}
int seqProgramNumber(int f, int v) {
    return 31 + 5 * f + (v - 1);
}

QString pageCode(int page) {
    if (page < 0 || page >= kProgramPages)
        return QString();
    return QString::fromLatin1(kPageCodes[page]);
}

QString groupCode(int k) {
    return pageCode(k + 1);
}
QString seqCode(int f) {
    return pageCode(f + 4);
}

QString familySymbol(int f) {
    if (f < 0 || f >= kSeqFamilies)
        return QString();
    return QString::fromLatin1(kSymbols[f]);
}

QString pageName(int page) {
    if (page == kPageSingle)
        return QStringLiteral("tab_single");
    if (page >= 1 && page <= 3)
        return QStringLiteral("tab_") + pageCode(page);
    if (page >= 4 && page <= 8)
        return QStringLiteral("tab_seq") + pageCode(page);
    if (page == kPageFireMode)
        return QStringLiteral("tab_fire_mode");
    if (page == kPageFireSetup)
        return QStringLiteral("tab_fire_setup");
    return QString();
}

int pageIndexFromCode(const QString& code) {
    for (int p = 0; p < kProgramPages; ++p)
        if (code == QLatin1String(kPageCodes[p]))
            return p;
    return -1;
}

namespace names {

QString single(int n, const QString& suffix) {
    return QStringLiteral("tab_single_modnr_") + num(n) + suffix;
}

QString singlePreview(int n) {
    return QStringLiteral("tab_single_preview_") + num(n) + QStringLiteral("_btn");
}

QString group(int k, int v, const QString& suffix) {
    return QStringLiteral("tab_") + groupCode(k) + QStringLiteral("_var_") + num(v) + suffix;
}

QString groupPreview(int k, int v) {
    return QStringLiteral("tab_") + groupCode(k) + QStringLiteral("_preview_") + num(v) +
           QStringLiteral("_btn");
}

QString seq(int f, int v, const QString& suffix) {
    return QStringLiteral("tab_seq") + seqCode(f) + QStringLiteral("_var_") + num(v) + suffix;
}

QString seqPreview(int f, int v) {
    return QStringLiteral("tab_seq") + seqCode(f) + QStringLiteral("_preview_") + num(v) +
           QStringLiteral("_btn");
}

QString previewButton(int page, int number) {
    if (page == kPageSingle)
        return singlePreview(number);
    if (page >= 1 && page <= 3)
        return groupPreview(page - 1, number);
    if (page >= 4 && page <= 8)
        return seqPreview(page - 4, number);
    return QString();
}

QString caption(int page, int digit, char block) {
    return pageName(page) + QStringLiteral("_caption") + num(digit) + QLatin1Char('_') +
           QLatin1Char(block);
}

QString fireButton(int f, int n) {
    QString family;
    if (f == 0)
        family = QStringLiteral("sgl");
    else if (f >= 1 && f <= 3)
        family = pageCode(f);
    else if (f >= 4 && f <= 8)
        family = QStringLiteral("seq") + pageCode(f);
    else if (f == 9)
        family = QStringLiteral("macro");
    else
        return QString();
    return QStringLiteral("btn_firemode_") + family + num(n);
}

} // namespace names

bool parseFireButtonName(const QString& name, int* family, int* number) {
    static const QRegularExpression re(
        QStringLiteral("^btn_firemode_(sgl|all|odd|evn|seqLR|seqRL|seqAI|seqIA|seqX|macro)"
                       "([1-9][0-9]?)$"));
    const QRegularExpressionMatch m = re.match(name);
    if (!m.hasMatch())
        return false;
    const QString fam = m.captured(1);
    int f = -1;
    if (fam == QLatin1String("sgl"))
        f = 0;
    else if (fam == QLatin1String("macro"))
        f = 9;
    else if (fam.startsWith(QLatin1String("seq")))
        f = pageIndexFromCode(fam.mid(3));
    else
        f = pageIndexFromCode(fam);
    const int n = m.captured(2).toInt();
    if (!isFireButton(f, n))
        return false;
    if (family)
        *family = f;
    if (number)
        *number = n;
    return true;
}

bool isFireButton(int family, int number) {
    if (family == 0)
        return number >= 1 && number <= kModules;
    if (family >= 1 && family <= 3)
        return number >= 1 && number <= kGroupVariants;
    if (family >= 4 && family <= 8)
        return number >= 1 && number <= kSeqVariants;
    if (family == 9)
        return number >= 1 && number <= kMacros;
    return false;
}

double singleDuration(int fire) {
    return fire * 0.02 + 0.3;
}

int seqSteps(int f, int moduleCount) {
    if (f == kFamilyAI || f == kFamilyIA)
        return (moduleCount - 1) / 2;
    return moduleCount - 1;
}

double seqDuration(int f, int moduleCount, int fire, int wait) {
    return seqSteps(f, moduleCount) * wait * 0.02 + 0.3 + fire * 0.02;
}

QString formatFixed2(double value, const QLocale& locale) {
    // QLocale, not the C library: the separator must follow the user's locale, and the
    // program's own parsing must not depend on LC_NUMERIC.
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(value, 'f', 2);
}

QString formatSeconds(double seconds, const QLocale& locale) {
    QString text = formatFixed2(seconds, locale);
    if (text.size() < 4)
        text = text.rightJustified(4, QLatin1Char(' '));
    return text + QLatin1Char('s');
}

QString formatTime(int steps, const QLocale& locale) {
    return formatSeconds(steps * 0.02, locale);
}

} // namespace vz
