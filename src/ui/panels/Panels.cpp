#include "ui/Tavolex1.h"

#include "core/book/IniFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
