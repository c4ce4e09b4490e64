#include "app/gui_main.h"

#include "app/prompts.h"

Tfrm_gui_main::Tfrm_gui_main(const QString& programDir, const QStringList& arguments,
                             Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_programDir(programDir), m_prompts(prompts) {
    Q_UNUSED(arguments);
    setObjectName(QStringLiteral("frm_gui_main"));
    setWindowTitle(QStringLiteral("Vestro Zandor"));
    resize(761, 467);
    setMinimumSize(760, 467);
}
