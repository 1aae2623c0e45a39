// Shows one password dialog, as a user sees it after typing an acceptable
// password, for a few seconds, so a screenshot can be taken (see
// scripts/password-screenshots). Usage: password_shots encrypt|decrypt [ms]

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "viewing/widgets/PasswordDialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2 || (std::strcmp(argv[1], "encrypt") != 0 && std::strcmp(argv[1], "decrypt") != 0)) {
    std::fprintf(stderr, "usage: password_shots encrypt|decrypt [milliseconds]\n");
    return 2;
  }
  const int lifetime = argc > 2 ? std::atoi(argv[2]) : 4000;
  std::unique_ptr<vls::PasswordDialog> dialog;
  if (std::strcmp(argv[1], "encrypt") == 0) {
    dialog = std::make_unique<vls::TFPass>();
  } else {
    dialog = std::make_unique<vls::TFPass2>();
  }
  dialog->setModal(false);
  dialog->show();
  dialog->FillAnswer(QStringLiteral("Secret"), false);
  dialog->PasswordKeyUp(Qt::Key_S);
  QTimer::singleShot(lifetime, &app, &QApplication::quit);
  return app.exec();
}
