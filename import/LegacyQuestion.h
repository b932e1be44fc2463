#pragma once

#include <QString>

class QWidget;

// The question asked before a legacy Access catalogue is converted, and the
// notice once it was: what happens and where the original is kept.
bool askLegacyConversion(QWidget *parent, const QString &file, const QString &keptAs);
void tellLegacyConverted(QWidget *parent, const QString &keptAs, const QString &report);

// The caption of the conversion's windows and the text of its progress.
QString legacyCaption();
QString legacyProgressText(const QString &file);
