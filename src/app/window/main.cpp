// The Plavo window.
//
//   plavo [FILE]
//
// With FILE the drawing is opened at start; without it the open dialog appears when the window
// first becomes active.
#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>

#include "app/window/MosaroForm.h"
#include "core/Version.h"
#include "ui/settings/TranslateForm.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Plavo"));
  QApplication::setApplicationVersion(QString::fromLatin1(plavo::PlavoVersion()));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Nests flat shapes on rectangular sheets."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The drawing to open."));
  parser.process(app);
  const QStringList files = parser.positionalArguments();

  plavo::TFormEnvironment environment;
  environment.Language = plavo::LoadProgramLanguage();
  plavo::InstallQtTranslation(environment.Language);
  environment.OpenAtFirstShow = files.isEmpty();
  plavo::TMosaroFm window(environment);
  window.show();
  // Centred on the screen.
  if (const QScreen* screen = window.screen()) {
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
  }
  // The open dialog waits for the first activation; ask for it where no window manager gives it.
  window.raise();
  window.activateWindow();
  if (!files.isEmpty()) window.OpenDrawing(files.first());
  return app.exec();
}
