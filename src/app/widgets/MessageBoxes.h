#pragma once
// Modal message boxes with one OK button and the stock captions of this
// build. Tests install a sink so that no test waits on a modal loop.

#include <QString>
#include <functional>

class QWidget;

namespace vls {

enum class MessageKind { Information, Error, Warning };

// The box shows plain text, each line as DisplayText shows names (hidden
// characters made visible); line breaks between lines are kept.
void ShowMessage(QWidget* parent, MessageKind kind, const QString& text);

// While a sink is installed, messages go to it, as they would be shown,
// instead of a modal box.
using MessageSink = std::function<void(MessageKind, const QString&)>;
void SetMessageSink(MessageSink sink);

}  // namespace vls
