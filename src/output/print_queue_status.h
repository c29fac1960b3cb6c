#pragma once

#include <QString>

// Right after a listing was handed to the system's print queue (the end of a
// QPainter on a native QPrinter): "" when the queue accepted the job,
// otherwise the queue's reason. Qt does not report a refused job itself.
QString lastQueueRefusal();
