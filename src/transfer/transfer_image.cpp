#include "transfer/transfer_image.h"

#include "base/unit_service.h"

namespace vz {

namespace {

const QString kLineEnd = QStringLiteral("\n\r");

quint8 low8(int v) {
    return static_cast<quint8>(v & 0xFF);
}

// Channel 1..70 of a list position; 0 for a position no list can hold.
int channelOf(int position) {
    return (position >= 0 && position < kChannels) ? position + 1 : 0;
}

} // namespace

CheckTexts CheckTexts::fromTable(const LanguageTable& table) {
    CheckTexts t;
    t.getText = table.lookup();
    t.caption = [&table](const QString& name) { return table.caption(name); };
    return t;
}

CheckTexts CheckTexts::fromLanguage() {
    return fromTable(languageTable());
}

QString duplicateChannelMessage(const BoxProgram& program, const CheckTexts& texts) {
    std::array<int, kChannels + 1> count{};
    for (int n = 1; n <= kModules; ++n)
        ++count[channelOf(program.singleAt(n).ch)];
    for (int k = 0; k < kGroupKinds; ++k)
        for (int v = 1; v <= kGroupVariants; ++v)
            ++count[channelOf(program.groupAt(k, v).ch)];
    for (int f = 0; f < kSeqFamilies; ++f)
        for (int v = 1; v <= kSeqVariants; ++v)
            ++count[channelOf(program.seqAt(f, v).ch)];

    QString message;
    for (int channel = 1; channel <= kChannels; ++channel) {
        if (count[channel] <= 1)
            continue;
        message += texts.getText(QStringLiteral("msg_chk_dbl_errch")) + QLatin1Char(' ') +
                   QString::number(channel) + QLatin1Char(':') + kLineEnd;
        for (int n = 1; n <= kModules; ++n)
            if (channelOf(program.singleAt(n).ch) == channel)
                message += texts.getText(QStringLiteral("msg_chk_dbl_sgl")) + QLatin1Char(' ') +
                           QString::number(n) + kLineEnd;
        for (int k = 0; k < kGroupKinds; ++k)
            for (int v = 1; v <= kGroupVariants; ++v)
                if (channelOf(program.groupAt(k, v).ch) == channel)
                    message += texts.caption(QStringLiteral("tab_") + groupCode(k)) +
                               QStringLiteral(", ") +
                               texts.caption(names::group(k, v, QStringLiteral("_lbl"))) + kLineEnd;
        for (int f = 0; f < kSeqFamilies; ++f)
            for (int v = 1; v <= kSeqVariants; ++v)
                if (channelOf(program.seqAt(f, v).ch) == channel)
                    message += QStringLiteral("Seq ") + familySymbol(f) + QStringLiteral(", ") +
                               texts.caption(names::seq(f, v, QStringLiteral("_lbl"))) + kLineEnd;
        message += kLineEnd;
    }
    return message;
}

int transferBoxNumber(const BoxProgram& program, int boxMode) {
    // In box mode 0 the number follows the module count whatever the box list holds
    // (a short box list may not reach 30 + count).
    return boxMode == 1 ? program.boxNumber() : 30 + program.moduleCount();
}

RecordTable buildRecordTable(const BoxProgram& program, int boxMode) {
    RecordTable table;
    for (int p = 1; p <= kTransferRecords; ++p)
        table[p - 1] = {low8(p), 0, 0};

    for (int n = 1; n <= kModules; ++n) {
        const SingleProgram& s = program.singleAt(n);
        table[singleProgramNumber(n) - 1] = {low8(s.ch + 1), low8(s.fire), 0};
    }
    for (int k = 0; k < kGroupKinds; ++k)
        for (int v = 1; v <= kGroupVariants; ++v) {
            const GroupProgram& g = program.groupAt(k, v);
            table[groupProgramNumber(k, v) - 1] = {low8(g.ch + 1), low8(g.fire), 0};
        }
    for (int f = 0; f < kSeqFamilies; ++f)
        for (int v = 1; v <= kSeqVariants; ++v) {
            const SequenceProgram& s = program.seqAt(f, v);
            const int p = seqProgramNumber(f, v);
            // A variant not in use goes out as program number + 10 (41 to 65) with time and
            // wait 0. Those are ordinary channels another program may carry too; the
            // duplicate check does not look at this byte.
            table[p - 1] = s.chk ? TransferRecord{low8(s.ch + 1), low8(s.fire), low8(s.wait)}
                                 : TransferRecord{low8(p + 10), 0, 0};
        }
    table[kBoxRecord - 1] = {low8(kBoxRecord), low8(boxMode == 1 ? program.moduleCount() : 0),
                             low8(transferBoxNumber(program, boxMode))};
    return table;
}

std::array<quint8, 3> waitTriplet(quint8 wait) {
    const int hi = wait / 255;
    const int lo = wait % 255;
    return {low8(hi), low8(lo), low8(hi + lo)};
}

std::array<quint8, 3> mainTriplet(const TransferRecord& record) {
    return {record.time, record.channel, low8(record.channel + record.time)};
}

QByteArray build_transfer_image(const RecordTable& records) {
    QByteArray image;
    image.reserve(kTransferImageSize);
    auto put = [&image](const std::array<quint8, 3>& t) {
        for (quint8 b : t)
            image.append(static_cast<char>(b));
    };
    const quint8 box = records[kBoxRecord - 1].wait;

    image.append('W');
    for (int p = 1; p < kBoxRecord; ++p)
        put(waitTriplet(records[p - 1].wait));
    put({0, 0, 0});
    put({0, box, box});
    image.append("__X");
    for (int p = 1; p <= kBoxRecord; ++p)
        put(mainTriplet(records[p - 1]));
    put({0, box, box});
    return image;
}

} // namespace vz
