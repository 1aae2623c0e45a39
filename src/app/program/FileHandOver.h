#pragma once
// One window per user: a start with a file, while the program runs, hands
// the file to the running window through a local socket and ends. The socket
// lies in the user's runtime folder, which only the user can enter, and its
// name holds the user's id; the running side also checks that whoever
// connects is the same user. A socket left behind by a program that ended
// without removing it answers no one: it is removed and served anew. A lock
// file beside it keeps two starts at the same moment from both serving.

#include <QObject>
#include <QString>
#include <memory>

#include "platform/LocalSocket.h"

class QSocketNotifier;

namespace vls {

class FileHandOver : public QObject {
  Q_OBJECT

 public:
  // name: the socket's full path; "" hands nothing over and serves nothing.
  explicit FileHandOver(QString name = DefaultName(), QObject* parent = nullptr);
  ~FileHandOver() override;
  // "<runtime folder>/veilstore-<uid>.socket"; "" when the user has no
  // runtime folder of its own.
  static QString DefaultName();

  // Hands path (made absolute here) to the program serving the name: true
  // once it took it. Otherwise, and for an empty path, this start serves the
  // name from now on (false); when another program already serves it and
  // there is no path, nothing changes.
  bool HandOrServe(const QString& path);
  bool Serving() const;

 signals:
  // An absolute path another start handed over.
  void FileHanded(const QString& path);

 private:
  class Conversation;

  bool Hand(int socket, const QString& path) const;
  void Serve();
  void Accept();

  QString name_;
  LocalListener listener_;
  // Watches the listener on the window's event loop.
  QSocketNotifier* incoming_ = nullptr;
};

}  // namespace vls
