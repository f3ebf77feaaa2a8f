; 安装程序和卸载程序自身的全部文字（简体中文）。

LangString SEC_DESKTOP_SHORTCUT ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString SEC_PURGE ${LANG_SIMPCHINESE} \
  "同时删除我的设置和已保存的访问令牌（仅限运行本次卸载的帐户）"
LangString FINISH_RUN ${LANG_SIMPCHINESE} "启动 ${PRODUCT_NAME}"

LangString MSG_OLD_WINDOWS ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} 需要 64 位 Windows 10（1703 版或更高版本）或 Windows 11，无法安装在这台电脑上。"
LangString MSG_NEEDS_ADMIN ${LANG_SIMPCHINESE} \
  "安装程序需要管理员权限。请使用管理员帐户登录，或右键单击安装程序并选择“以管理员身份运行”。"
LangString MSG_SETUP_RUNNING ${LANG_SIMPCHINESE} \
  "另一个 ${PRODUCT_NAME} 安装程序正在运行。请等它完成后再试。"
LangString MSG_DOWNGRADE ${LANG_SIMPCHINESE} \
  "已安装 ${PRODUCT_NAME} 的较新版本 $R7。要改为安装较旧的版本 ${VERSION} 吗？"
LangString MSG_REINSTALL ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} ${VERSION} 已经安装。要重新安装吗？"

LangString MSG_FOLDER_NOT_EMPTY ${LANG_SIMPCHINESE} \
  "文件夹 $INSTDIR 中已有其他文件。请选择一个空文件夹或新文件夹。"
LangString MSG_FOLDER_CANNOT_CREATE ${LANG_SIMPCHINESE} \
  "无法创建文件夹 $R7。请选择其他文件夹。"
LangString MSG_FOLDER_NOT_WRITABLE ${LANG_SIMPCHINESE} \
  "无法写入文件夹 $INSTDIR。请选择其他文件夹，或以管理员身份运行安装程序。"
LangString MSG_FOLDER_NOT_SECURED ${LANG_SIMPCHINESE} \
  "无法将文件夹 $INSTDIR 的写入权限限定为管理员，其他用户可能会在其中放置程序。请选择其他文件夹。未做任何更改。"
LangString MSG_FILES_IN_USE ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} 仍在运行（可能是这台电脑上登录的其他用户在使用），因此无法更改 $INSTDIR 中的文件。请让该用户关闭它，或在任务管理器的“用户”或“详细信息”选项卡中结束“quorvane_ai.exe”，然后重试。未做任何更改。"
LangString MSG_OLD_COPY_NOT_REMOVED ${LANG_SIMPCHINESE} \
  "无法删除 $R7 中已安装的 ${PRODUCT_NAME}。请先在“设置 › 应用”中将其卸载，然后重试。未做任何更改。"

LangString MSG_HOST_RUNNING ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} 正在运行，需要先将其关闭才能继续。"
LangString MSG_HOST_REFUSED ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} 拒绝关闭。请手动关闭后重试。未做任何更改。"
LangString MSG_HOST_HUNG_ASK ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} 没有响应。仍要关闭它吗？其中未保存的内容将会丢失。$\r$\n$\r$\n选择“取消”则在此停止，不做任何更改。"
LangString MSG_HOST_HUNG ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} 没有响应。请在任务管理器中结束它，或加上 /FORCECLOSE 重新运行以自动关闭它。未做任何更改。"
LangString MSG_HOST_NOT_OURS ${LANG_SIMPCHINESE} \
  "一个没有响应的 ${PRODUCT_NAME} 是从 $INSTDIR 以外的文件夹运行的，因此未将其关闭。请在任务管理器中结束它，然后重试。未做任何更改。"
LangString MSG_HOST_NOT_ENDED ${LANG_SIMPCHINESE} \
  "无法关闭 ${PRODUCT_NAME}。请在任务管理器中结束它，然后重试。未做任何更改。"
LangString MSG_CANCELLED ${LANG_SIMPCHINESE} "已取消，未做任何更改。"
