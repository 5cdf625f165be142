#pragma once

#include <QString>

// The application title: the caption of the plain notices and of the error box.
inline QString applicationTitle()
{
    return QStringLiteral("Mirevo For Windows");
}

// The caption of the main window and of its fast-shutdown question.
inline QString mainWindowCaption()
{
    return QStringLiteral("Mirevo For Windows クライアント");
}
