#include "platform/printing/system_errors.h"

namespace velto::platform {
namespace {
thread_local uint32_t lastError = ERROR_SUCCESS;
}  // namespace

void SetLastError(uint32_t code) { lastError = code; }
uint32_t GetLastError() { return lastError; }

std::optional<std::string> FormatSystemMessage(uint32_t code) {
  switch (code) {
    case ERROR_SUCCESS: return "操作成功完成。";
    case ERROR_INVALID_FUNCTION: return "函数不正确。";
    case ERROR_FILE_NOT_FOUND: return "系统找不到指定的文件。";
    case ERROR_PATH_NOT_FOUND: return "系统找不到指定的路径。";
    case ERROR_ACCESS_DENIED: return "拒绝访问。";
    case ERROR_INVALID_HANDLE: return "句柄无效。";
    case ERROR_NOT_ENOUGH_MEMORY: return "存储空间不足，无法处理此命令。";
    case ERROR_WRITE_FAULT: return "系统无法写入指定的设备。";
    case ERROR_INVALID_PARAMETER: return "参数错误。";
    case ERROR_INSUFFICIENT_BUFFER: return "传递给系统调用的数据区域太小。";
    case ERROR_INVALID_LEVEL: return "系统调用级别不正确。";
    case ERROR_MOD_NOT_FOUND: return "找不到指定的模块。";
    case ERROR_PROC_NOT_FOUND: return "找不到指定的程序。";
    case ERROR_BUSY: return "请求的资源在使用中。";
    case ERROR_ALREADY_EXISTS: return "当文件已存在时，无法创建该文件。";
    case ERROR_SERVICE_REQUEST_TIMEOUT: return "服务没有及时响应启动或控制请求。";
    case ERROR_SERVICE_ALREADY_RUNNING: return "服务的实例已在运行中。";
    case ERROR_SERVICE_DOES_NOT_EXIST: return "指定的服务未安装。";
    case ERROR_SERVICE_CANNOT_ACCEPT_CTRL: return "服务此时无法接受控制信息。";
    case ERROR_SERVICE_NOT_ACTIVE: return "服务尚未启动。";
    case RPC_S_SERVER_UNAVAILABLE: return "RPC 服务器不可用。";
    case ERROR_UNKNOWN_PORT: return "指定的端口未知。";
    case ERROR_UNKNOWN_PRINTER_DRIVER: return "打印机驱动程序未知。";
    case ERROR_UNKNOWN_PRINTPROCESSOR: return "打印处理器未知。";
    case ERROR_INVALID_PRINTER_NAME: return "打印机名无效。";
    case ERROR_PRINTER_ALREADY_EXISTS: return "打印机已经存在。";
    case ERROR_INVALID_DATATYPE: return "指定的数据类型无效。";
    case ERROR_INVALID_ENVIRONMENT: return "指定的环境无效。";
    case ERROR_PRINTER_DRIVER_IN_USE: return "指定的打印机驱动程序当前正在使用。";
    case ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED: return "指定的打印处理器已经安装。";
    default: return std::nullopt;
  }
}

}  // namespace velto::platform
