#include "faketray.h"

void FakeTray::add(const QString &newTip, Picture newPicture)
{
    if (!available)
        return;
    present = true;
    tip = newTip;
    picture = newPicture;
    ++additions;
}

void FakeTray::setPicture(Picture newPicture)
{
    if (present)
        picture = newPicture;
}

void FakeTray::remove()
{
    present = false;
}

void FakeTray::setAvailable(bool nowAvailable)
{
    available = nowAvailable;
    if (!available)
        present = false;
    Q_EMIT availabilityChanged(available);
}
