#include "app/QMApplication.h"

#include "platform/foundation/Log.h"

int main(int argc, char *argv[])
{
    Log::redirectStandardError();
    QMApplication application(argc, argv);
    return application.exec();
}
