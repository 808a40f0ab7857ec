// Where the program's code-page texts meet the widgets: conversion both ways,
// the line-break convention of stored multi-line texts, and the timestamp.
#pragma once

#include <QString>
#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace korvane {

// Code-page bytes as the characters they stand for.
QString ToQt(const std::string& codePage);

// Characters as code-page bytes; GB18030 gives every character a form, so
// nothing is lost, not even characters outside GBK.
std::string FromQt(const QString& text);

// Multi-line texts are stored with CR LF line breaks (the list renderer turns
// each CR into a line break of the page); the widgets work with LF alone.
std::string MemoText(const QPlainTextEdit& memo);
void SetMemoText(QPlainTextEdit& memo, const std::string& codePage);

std::string EditText(const QLineEdit& edit);
void SetEditText(QLineEdit& edit, const std::string& codePage);

// Stored texts with CR LF or lone CR line breaks, with LF line breaks instead.
QString WithLfBreaks(const QString& text);

// The current local time as stored in records: "yyyy-mm-dd hh:mm:ss".
std::string NowText();

}  // namespace korvane
