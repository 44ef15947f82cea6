#include "app/query_app.h"

int main(int argc, char** argv) {
    CQueryApp app(argc, argv);
    app.InitInstance();
    return 0;
}
