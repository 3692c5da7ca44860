#pragma once

#include <QDialog>

// The find-in-files window; hidden until find in files is asked for.
class TFIFForm : public QDialog
{
    Q_OBJECT

public:
    explicit TFIFForm(QWidget *parent = nullptr);
};
