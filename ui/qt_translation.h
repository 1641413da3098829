// Qt's own visible texts (context menus, standard buttons) in Chinese,
// whatever the locale says.
#pragma once

class QCoreApplication;

namespace ui {

// Installs Qt's zh_CN translation when it is there; without it Qt's texts
// stay in English and nothing else changes.
void LoadQtChineseTranslation(QCoreApplication& application);

}  // namespace ui
