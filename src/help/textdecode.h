// Decoding of the byte texts the help window shows: Windows code page 1252
// (the code page of the help file and of the layout's old text files) and
// plain text of unknown origin.
#pragma once

#include <QByteArray>
#include <QString>

// The Unicode character of one byte in code page 1252. The five bytes that
// the code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
// C1 control of the same value, as Windows does.
char16_t cp1252ToUnicode(unsigned char byte);

QString fromCp1252(const QByteArray& bytes);

// A text file of unknown encoding: UTF-16/UTF-32 with byte-order mark, else
// UTF-8 when the bytes are valid UTF-8 (with or without mark), else code page 1252.
QString decodePlainText(const QByteArray& bytes);
