#include "TvxFindInFiles.h"

TFIFForm::TFIFForm(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Find text in files"));
    hide();
}
