#include "ui/Tavolex1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextCursor>

namespace {

const QString kOptions = QStringLiteral("Options");

} // namespace
