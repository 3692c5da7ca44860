#include "reader/Tavolex1.h"

#include "navigation/IniFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
