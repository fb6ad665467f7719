// Qt's own German texts for the standard dialogs (file, font and message dialogs), so that they
// speak the language of the rest of the window.
#pragma once

class QCoreApplication;
class QTranslator;

namespace folivo::app {

// Loads "qtbase_de" from Qt's translations folder and installs it in application (which owns
// the translator). Null when the translations are not installed; the dialogs then stay English.
QTranslator* InstallGermanQtTranslations(QCoreApplication& application);

}  // namespace folivo::app
