#include <curl/curl.h>

#include <QApplication>

#include "app/program.h"

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    QApplication application(argc, argv);
    const int code = miyoutong::StartProgram();
    curl_global_cleanup();
    return code;
}
