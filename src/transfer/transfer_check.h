#pragma once

#include "transfer/transfer_image.h"

class QWidget;

namespace vz {

class Prompts;

// The first steps of the transmit menu entry: true when at least one channel is used by more
// than one program; the message listing them has then been shown in an error box. Captions
// come from the program-wide language table, as the window shows them.
bool check_double_numbers(const vz::BoxProgram& program, Prompts& prompts, QWidget* parent);

// What the transmit dialog receives when the check passes.
struct TransferRequest {
    vz::RecordTable records{};
    int blockSize = 4;
};

// menu_transmit_captionClick up to opening the dialog: the block size is taken over in any
// case; false (records untouched) when the check refuses, else the records are filled from
// the box program and the box mode.
bool prepare_transfer(const vz::BoxProgram& program, int boxMode, int blockSize, Prompts& prompts,
                      QWidget* parent, TransferRequest* request);

} // namespace vz
