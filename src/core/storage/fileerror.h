#pragma once

#include <QFileDevice>
#include <QString>

namespace velmarsk {

// German reasons for failed file operations. The toolkit's own texts are English (or "Unknown
// error" when the system gave no reason), and they must not end up inside German messages.

// The reason the system gives for errno value err.
QString systemErrorText(int err);

// The reason a file operation on file failed, from its error state.
QString fileErrorText(const QFileDevice& file);

// The reason for a write that stored fewer bytes than asked without the system naming an error.
QString shortWriteText(qint64 written, qint64 wanted);

}  // namespace velmarsk
