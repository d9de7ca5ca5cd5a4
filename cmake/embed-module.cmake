# Writes the page PAGE from TEMPLATE, its @POLYEVAL_MODULE@ replaced by the base64 text of MODULE.
# usage: cmake -DBASE64=<base64 program> -DMODULE=<.wasm> -DTEMPLATE=<.html.in> -DPAGE=<.html> -P embed-module.cmake
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${BASE64} --wrap=0 ${MODULE} OUTPUT_VARIABLE POLYEVAL_MODULE COMMAND_ERROR_IS_FATAL ANY)
# Read permission for everyone, whatever the umask of the checkout.
configure_file(${TEMPLATE} ${PAGE} @ONLY NEWLINE_STYLE UNIX NO_SOURCE_PERMISSIONS)
