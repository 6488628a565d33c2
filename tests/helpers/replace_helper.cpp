// Replaces one file's content as the program's saves do, for the tests that
// run a save as another user:
//   replace_helper PATH < NEW-CONTENT
// Exit status 0 when the file was replaced, 1 when the replacement was refused.
#include <QByteArray>
#include <QFile>
#include <cstdio>

#include "platform/fs/FileReplace.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: replace_helper PATH < NEW-CONTENT\n");
    return 2;
  }
  QFile in;
  if (!in.open(stdin, QIODevice::ReadOnly)) return 2;
  const QByteArray content = in.readAll();
  return FileReplace::Replace(QFile::decodeName(argv[1]), content) ? 0 : 1;
}
