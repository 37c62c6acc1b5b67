# Development CA and a localhost certificate for the development service.
# Made once per build tree with openssl; nothing secret is committed.
set(VELMORA_DEV_CERT_DIR ${CMAKE_BINARY_DIR}/devcerts)
set(VELMORA_DEV_CA_CERT ${VELMORA_DEV_CERT_DIR}/ca.crt)
set(VELMORA_DEV_CA_KEY ${VELMORA_DEV_CERT_DIR}/ca.key)
set(VELMORA_DEV_SERVER_CERT ${VELMORA_DEV_CERT_DIR}/localhost.crt)
set(VELMORA_DEV_SERVER_KEY ${VELMORA_DEV_CERT_DIR}/localhost.key)

if(NOT WIN32 AND NOT EXISTS ${VELMORA_DEV_SERVER_CERT})
    find_program(OPENSSL_PROGRAM openssl REQUIRED)
    execute_process(
        COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/scripts/make-dev-certs.sh ${VELMORA_DEV_CERT_DIR}
        RESULT_VARIABLE certResult)
    if(NOT certResult EQUAL 0)
        message(FATAL_ERROR "Could not create the development certificates")
    endif()
endif()
