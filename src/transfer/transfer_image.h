#pragma once

#include "base/unit_service.h"
#include "program/box_program.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace vz {

class LanguageTable;

// One entry of the master module's program table, in the order the device keeps it.
struct TransferRecord {
    quint8 channel = 0;
    quint8 time = 0;
    quint8 wait = 0;
    bool operator==(const TransferRecord& o) const {
        return channel == o.channel && time == o.time && wait == o.wait;
    }
};

constexpr int kTransferRecords = 70;
constexpr int kBoxRecord = 70;
constexpr int kTransferImageSize = 430;

// Offsets inside the transfer image.
constexpr int kImageWaitSection = 1;   // 69 wait triplets
constexpr int kImageGap = 208;         // 00 00 00 where triplet 70 would be
constexpr int kImageWaitTrailer = 211; // 00 box box
constexpr int kImageMarker = 214;      // "__X"
constexpr int kImageMainSection = 217; // 70 main triplets
constexpr int kImageMainTrailer = 427; // 00 box box

// Indexed by program number - 1.
using RecordTable = std::array<TransferRecord, kTransferRecords>;

// Where the texts of the duplicate-channel message come from: message keys through
// getText, control captions through caption (what the window shows for that control).
struct CheckTexts {
    TextLookup getText;
    TextLookup caption;

    // A control's caption is the language text of its name, or the name itself when the
    // table has none (the control keeps its built-in caption).
    static CheckTexts fromTable(const LanguageTable& table);
    // The program-wide table.
    static CheckTexts fromLanguage();
};

// Programs sharing a channel, counted over all 50 programs (sequences not in use included).
// Empty when every channel is used at most once; otherwise the message the operator sees,
// lines ending with "\n\r".
QString duplicateChannelMessage(const BoxProgram& program, const CheckTexts& texts);

// The box number the transfer sends: 30 + module count in box mode 0, else the chosen one.
int transferBoxNumber(const BoxProgram& program, int boxMode);

// The 70 records the master module receives, from the box program and the box mode
// (new_boxmode: 1 = the box record carries the module count).
RecordTable buildRecordTable(const BoxProgram& program, int boxMode);

// The 430-byte transfer image of a record table.
QByteArray build_transfer_image(const RecordTable& records);

// Wait triplet and main triplet of one record.
std::array<quint8, 3> waitTriplet(quint8 wait);
std::array<quint8, 3> mainTriplet(const TransferRecord& record);

} // namespace vz
