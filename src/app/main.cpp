// Zelan: a reader and recitation player for the closing portion of the Qur'an.
// Every file is found relative to the current directory (see scripts/run).

#include "application.h"
#include "startup.h"

int main(int argc, char** argv) {
    zelan::app::Application application(argc, argv);
    return zelan::app::runProgram(application);
}
