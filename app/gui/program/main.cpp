// tonvex-gui: the window as a program of its own. tonvex starts it for the window, so that
// its command line never loads the toolkit; it can also be started directly.
#include "app/gui/runwindow.h"

int main(int argc, char** argv) {
    return runwindow(argc, argv);
}
