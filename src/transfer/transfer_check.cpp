#include "transfer/transfer_check.h"

#include "base/prompts.h"

namespace vz {

bool check_double_numbers(const vz::BoxProgram& program, Prompts& prompts, QWidget* parent) {
    const QString message = vz::duplicateChannelMessage(program, vz::CheckTexts::fromLanguage());
    if (message.isEmpty())
        return false;
    prompts.error(parent, message);
    return true;
}

bool prepare_transfer(const vz::BoxProgram& program, int boxMode, int blockSize, Prompts& prompts,
                      QWidget* parent, TransferRequest* request) {
    request->blockSize = blockSize;
    if (check_double_numbers(program, prompts, parent))
        return false;
    request->records = vz::buildRecordTable(program, boxMode);
    return true;
}

} // namespace vz
