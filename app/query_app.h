// CQueryApp: the application object. It runs the main window modally; when
// that ends, the program ends.
#pragma once

class CQueryApp {
public:
    CQueryApp(int& argc, char** argv);
    // Returns false: the program never enters a message loop of its own.
    bool InitInstance();

private:
    int& argc_;
    char** argv_;
};
