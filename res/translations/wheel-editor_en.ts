<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>关于 Rota</source>
        <translation>About Rota</translation>
    </message>
    <message>
        <source>驰光--自行车风火轮编辑软件</source>
        <translation>Chiguang bicycle wheel light editor</translation>
    </message>
    <message>
        <source>版本 2.0</source>
        <translation>Version 2.0</translation>
    </message>
    <message>
        <source>驰光 出品</source>
        <translation>Made by Chiguang</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>风火轮图标</source>
        <translation>Wheel light icon</translation>
    </message>
</context>
<context>
    <name>CAdjustmentsDlg</name>
    <message>
        <source>图片调整</source>
        <translation>Adjust picture</translation>
    </message>
    <message>
        <source>旋转(&amp;R)：</source>
        <translation>&amp;Rotate:</translation>
    </message>
    <message>
        <source>顺时针转动图片，不损失画质</source>
        <translation>Turns the picture clockwise, without losing any detail</translation>
    </message>
    <message>
        <source>不旋转</source>
        <translation>None</translation>
    </message>
    <message>
        <source>顺时针 90°</source>
        <translation>90° clockwise</translation>
    </message>
    <message>
        <source>180°</source>
        <translation>180°</translation>
    </message>
    <message>
        <source>逆时针 90°</source>
        <translation>90° anticlockwise</translation>
    </message>
    <message>
        <source>不是正方形的图片</source>
        <translation>A picture that is not square</translation>
    </message>
    <message>
        <source>拉伸成正方形(&amp;S)</source>
        <translation>&amp;Stretch to a square</translation>
    </message>
    <message>
        <source>整张图片压成正方形，比例会变</source>
        <translation>The whole picture, squeezed into the square; its proportions change</translation>
    </message>
    <message>
        <source>完整显示，两边留空(&amp;F)</source>
        <translation>&amp;Fit it whole, unlit margins</translation>
    </message>
    <message>
        <source>整张图片按原比例放入，空出的两边不亮</source>
        <translation>The whole picture in its own proportions; the margins stay unlit</translation>
    </message>
    <message>
        <source>裁剪中间的正方形(&amp;C)</source>
        <translation>&amp;Crop the centre square</translation>
    </message>
    <message>
        <source>只用图片中间的正方形，其余裁掉</source>
        <translation>Only the square in the middle of the picture; the rest is cut off</translation>
    </message>
    <message>
        <source>黑白阈值</source>
        <translation>Light and dark threshold</translation>
    </message>
    <message>
        <source>自动(&amp;A)</source>
        <translation>&amp;Automatic</translation>
    </message>
    <message>
        <source>由图片的明暗分布自动选定阈值</source>
        <translation>The threshold chosen from the picture&apos;s own light and dark</translation>
    </message>
    <message>
        <source>自动阈值：</source>
        <translation>Automatic value:</translation>
    </message>
    <message>
        <source>灰度不高于阈值的部分算暗，在风火轮上点亮；其余算亮</source>
        <translation>Grey up to the threshold counts as dark and lights up on the wheel; the rest counts as light</translation>
    </message>
    <message>
        <source>反色：亮暗互换(&amp;I)</source>
        <translation>&amp;Invert: swap light and dark</translation>
    </message>
    <message>
        <source>恢复默认(&amp;D)</source>
        <translation>&amp;Defaults</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>色调</source>
        <translation>Tone</translation>
    </message>
    <message>
        <source>黑白(&amp;B)</source>
        <translation>&amp;Black and white</translation>
    </message>
    <message>
        <source>黑白</source>
        <translation>Black and white</translation>
    </message>
    <message>
        <source>按阈值分成亮暗两种：暗的部分点亮</source>
        <translation>Light or dark by the threshold; the dark parts light up</translation>
    </message>
    <message>
        <source>抖动(&amp;H)</source>
        <translation>Dit&amp;her</translation>
    </message>
    <message>
        <source>抖动</source>
        <translation>Dither</translation>
    </message>
    <message>
        <source>用点亮的LED的疏密表现深浅，照片也能看出层次</source>
        <translation>Grey as more or fewer lit LEDs, so that a photo keeps its shades</translation>
    </message>
    <message>
        <source>轮廓线(&amp;O)</source>
        <translation>&amp;Outline</translation>
    </message>
    <message>
        <source>轮廓线</source>
        <translation>Outline</translation>
    </message>
    <message>
        <source>只点亮明暗区域之间的边线</source>
        <translation>Only the lines between light and dark regions light up</translation>
    </message>
</context>
<context>
    <name>CDiyDlg</name>
    <message>
        <source>驰光自行车风火轮-DIY</source>
        <translation>Chiguang bicycle wheel light - DIY</translation>
    </message>
    <message>
        <source>画好了</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>不画了</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>保存一下</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>字体设置</source>
        <translation>Font...</translation>
    </message>
    <message>
        <source>输入文字：</source>
        <translation>Text:</translation>
    </message>
    <message>
        <source>画布</source>
        <translation>Canvas</translation>
    </message>
    <message>
        <source>虚线框里是输入的文字。方向键移动文字框，按住Shift每次移动10个像素；Ctrl加方向键改变文字框的大小</source>
        <translation>The dotted box holds the text typed. The arrow keys move the box, 10 pixels at a time with Shift; Ctrl with the arrow keys changes its size</translation>
    </message>
</context>
<context>
    <name>CSlotHelpDlg</name>
    <message>
        <source>下载位置说明</source>
        <translation>About the slots</translation>
    </message>
    <message>
        <source>&quot;驰光&quot;自行车风火轮为用户提供20幅可编程空间，请从以下选择框中选择需要下载的位置，可以多选！</source>
        <translation>The "Chiguang" bicycle wheel light has 20 programmable picture slots. Tick the slots to download into below; you may tick several!</translation>
    </message>
    <message>
        <source>知道啦！！</source>
        <translation>Got it!!</translation>
    </message>
</context>
<context>
    <name>CWheelDlg</name>
    <message>
        <source>驰光--自行车风火轮编辑软件V2.0</source>
        <translation>Chiguang - Bicycle Wheel Light Editor V2.0</translation>
    </message>
    <message>
        <source>原图</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>风火轮效果</source>
        <translation>On the wheel</translation>
    </message>
    <message>
        <source>风火轮图案位置校准</source>
        <translation>Picture angle calibration</translation>
    </message>
    <message>
        <source>打开图片</source>
        <translation>Open picture</translation>
    </message>
    <message>
        <source>下载--&gt;GO</source>
        <translation>Download--&gt;GO</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Factory reset</translation>
    </message>
    <message>
        <source>DIY</source>
        <translation>DIY</translation>
    </message>
    <message>
        <source>清除信息</source>
        <translation>Clear log</translation>
    </message>
    <message>
        <source>全部选择</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>全部取消</source>
        <translation>Clear all</translation>
    </message>
    <message>
        <source>48图模式</source>
        <translation>48-picture mode</translation>
    </message>
    <message>
        <source>选择说明</source>
        <translation>Which slots?</translation>
    </message>
    <message>
        <source>第1幅</source>
        <translation>Slot 1</translation>
    </message>
    <message>
        <source>第2幅</source>
        <translation>Slot 2</translation>
    </message>
    <message>
        <source>第3幅</source>
        <translation>Slot 3</translation>
    </message>
    <message>
        <source>第4幅</source>
        <translation>Slot 4</translation>
    </message>
    <message>
        <source>第5幅</source>
        <translation>Slot 5</translation>
    </message>
    <message>
        <source>第6幅</source>
        <translation>Slot 6</translation>
    </message>
    <message>
        <source>第7幅</source>
        <translation>Slot 7</translation>
    </message>
    <message>
        <source>第8幅</source>
        <translation>Slot 8</translation>
    </message>
    <message>
        <source>第9幅</source>
        <translation>Slot 9</translation>
    </message>
    <message>
        <source>第10幅</source>
        <translation>Slot 10</translation>
    </message>
    <message>
        <source>第11幅</source>
        <translation>Slot 11</translation>
    </message>
    <message>
        <source>第12幅</source>
        <translation>Slot 12</translation>
    </message>
    <message>
        <source>第13幅</source>
        <translation>Slot 13</translation>
    </message>
    <message>
        <source>第14幅</source>
        <translation>Slot 14</translation>
    </message>
    <message>
        <source>第15幅</source>
        <translation>Slot 15</translation>
    </message>
    <message>
        <source>第16幅</source>
        <translation>Slot 16</translation>
    </message>
    <message>
        <source>第17幅</source>
        <translation>Slot 17</translation>
    </message>
    <message>
        <source>第18幅</source>
        <translation>Slot 18</translation>
    </message>
    <message>
        <source>第19幅</source>
        <translation>Slot 19</translation>
    </message>
    <message>
        <source>第20幅</source>
        <translation>Slot 20</translation>
    </message>
    <message>
        <source>输入调整的角度</source>
        <translation>Angle to turn</translation>
    </message>
    <message>
        <source>向左调</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>向右调</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>点击校准</source>
        <translation>Calibrate</translation>
    </message>
    <message>
        <source>下载进度:  0%</source>
        <translation>Progress:  0%</translation>
    </message>
    <message>
        <source>打开的图片，按风火轮使用的方式旋转和裁剪</source>
        <translation>The picture as opened, turned and framed as the wheel uses it</translation>
    </message>
    <message>
        <source>风火轮转动时显示的圆形图案：图片暗的部分由LED点亮</source>
        <translation>The round picture the turning wheel shows: the LEDs light up where the picture is dark</translation>
    </message>
    <message>
        <source>信息记录</source>
        <translation>Message log</translation>
    </message>
    <message>
        <source>每一步USB通信和操作的结果</source>
        <translation>Every step of the USB link and the result of each operation</translation>
    </message>
    <message>
        <source>下载进度</source>
        <translation>Download progress</translation>
    </message>
</context>
<context>
    <name>ShownText</name>
    <message>
        <source>驰光--自行车风火轮编辑软件V2.0</source>
        <translation>Chiguang - Bicycle Wheel Light Editor V2.0</translation>
    </message>
    <message>
        <source>关于 Rota(&amp;A)...</source>
        <translation>&amp;About Rota…</translation>
    </message>
    <message>
        <source>驰光主页(&amp;H)</source>
        <translation>Chiguang &amp;home page</translation>
    </message>
    <message>
        <source>驰光网店(&amp;S)</source>
        <translation>Chiguang &amp;shop</translation>
    </message>
    <message>
        <source>温馨提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>温馨提示-_-</source>
        <translation>Note -_-</translation>
    </message>
    <message>
        <source>恭喜</source>
        <translation>Congratulations</translation>
    </message>
    <message>
        <source>请导入图片!</source>
        <translation>Please open a picture first!</translation>
    </message>
    <message>
        <source>请键入一个整数。</source>
        <translation>Please enter an integer.</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>所有文件(*.*) (*.bmp *.jpg *.jpeg *.png)</source>
        <translation>All pictures (*.bmp *.jpg *.jpeg *.png)</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>the file does not exist</translation>
    </message>
    <message>
        <source>文件无法读取</source>
        <translation>the file cannot be read</translation>
    </message>
    <message>
        <source>文件是空的</source>
        <translation>the file is empty</translation>
    </message>
    <message>
        <source>不是BMP、JPEG或PNG图片</source>
        <translation>not a BMP, JPEG or PNG picture</translation>
    </message>
    <message>
        <source>文件不完整，可能已损坏</source>
        <translation>the file is incomplete, perhaps damaged</translation>
    </message>
    <message>
        <source>图片太大（超过1亿像素）</source>
        <translation>the picture is too large (more than 100 megapixels)</translation>
    </message>
    <message>
        <source>图片已损坏，无法解码</source>
        <translation>the picture is damaged and cannot be decoded</translation>
    </message>
    <message>
        <source>无法加载图片解码模块，请重新安装本程序</source>
        <translation>the picture codecs cannot be loaded; please reinstall the program</translation>
    </message>
    <message>
        <source>尝试连接风火轮</source>
        <translation>Connecting to the wheel light</translation>
    </message>
    <message>
        <source>风火轮连接失败</source>
        <translation>Wheel light connection failed</translation>
    </message>
    <message>
        <source>风火轮已经找到</source>
        <translation>Wheel light found</translation>
    </message>
    <message>
        <source>读访问打开“驰光”成功</source>
        <translation>Opened the wheel light for reading</translation>
    </message>
    <message>
        <source>读访问打开设备失败</source>
        <translation>Could not open the device for reading</translation>
    </message>
    <message>
        <source>写访问打开“驰光”成功</source>
        <translation>Opened the wheel light for writing</translation>
    </message>
    <message>
        <source>写访问打开设备失败</source>
        <translation>Could not open the device for writing</translation>
    </message>
    <message>
        <source>没有打开设备的权限：请安装udev规则70-wheel-light.rules（packaging/70-wheel-light.rules，复制到/etc/udev/rules.d/后执行 udevadm control --reload-rules &amp;&amp; udevadm trigger）</source>
        <translation>No permission to open the device: install the udev rule 70-wheel-light.rules (packaging/70-wheel-light.rules, copy it to /etc/udev/rules.d/, then run udevadm control --reload-rules &amp;&amp; udevadm trigger)</translation>
    </message>
    <message>
        <source>关闭设备</source>
        <translation>Device closed</translation>
    </message>
    <message>
        <source>设备未找到</source>
        <translation>Device not found</translation>
    </message>
    <message>
        <source>该设备不支持WriteFile函数。</source>
        <translation>The device does not support writing.</translation>
    </message>
    <message>
        <source>无效的写报告句柄，可能是打开设备时失败</source>
        <translation>Invalid write handle; opening the device may have failed</translation>
    </message>
    <message>
        <source>数据正在发送中，暂时不能发送</source>
        <translation>Data is being sent; cannot send now</translation>
    </message>
    <message>
        <source>无效的读报告句柄，可能是打开设备时失败</source>
        <translation>Invalid read handle; opening the device may have failed</translation>
    </message>
    <message>
        <source>设备已连接</source>
        <translation>Device connected</translation>
    </message>
    <message>
        <source>设备被拔出</source>
        <translation>Device unplugged</translation>
    </message>
    <message>
        <source>读取位图文件出错</source>
        <translation>Error reading the bitmap file</translation>
    </message>
    <message>
        <source>本文件不是位图图片</source>
        <translation>This file is not a bitmap picture</translation>
    </message>
    <message>
        <source>本图片不是一个真彩色位图</source>
        <translation>This picture is not a true-colour bitmap</translation>
    </message>
    <message>
        <source>位图文件不完整或已损坏</source>
        <translation>The bitmap file is incomplete or damaged</translation>
    </message>
    <message>
        <source>不支持这种位图：只能打开不压缩（或带颜色掩码）、自下而上存放的16、24或32位位图</source>
        <translation>Unsupported bitmap: only uncompressed (or bit-field), bottom-up 16, 24 or 32-bit bitmaps can be opened</translation>
    </message>
    <message>
        <source>位图尺寸太大</source>
        <translation>The bitmap is too large</translation>
    </message>
    <message>
        <source>保存位图失败</source>
        <translation>Saving the bitmap failed</translation>
    </message>
    <message>
        <source>程序目录和用户数据目录都不能写入文件</source>
        <translation>Neither the program folder nor the user data folder can be written</translation>
    </message>
    <message>
        <source>无法生成位图</source>
        <translation>Cannot make the bitmap</translation>
    </message>
    <message>
        <source>无法打开图片“%1”：%2</source>
        <translation>Cannot open the picture "%1": %2</translation>
    </message>
    <message>
        <source>无法写入DIY模板图片：%1
%2</source>
        <translation>Cannot write the DIY template picture: %1
%2</translation>
    </message>
    <message>
        <source>一次只能打开一个文件，以下文件没有打开：
%1</source>
        <translation>Only one file opens at a time; these were not opened:
%1</translation>
    </message>
    <message>
        <source>发送失败，错误代码：%1</source>
        <translation>Sending failed, error code: %1</translation>
    </message>
    <message>
        <source>请先连接USB到风火轮!</source>
        <translation>Please connect the wheel light over USB first!</translation>
    </message>
    <message>
        <source>请导入图片,然后下载!</source>
        <translation>Please open a picture, then download!</translation>
    </message>
    <message>
        <source>请先选择需要下载的位置!</source>
        <translation>Please tick the slots to download into first!</translation>
    </message>
    <message>
        <source>下载成功！</source>
        <translation>Download succeeded!</translation>
    </message>
    <message>
        <source>图片下载完成!</source>
        <translation>Pictures downloaded!</translation>
    </message>
    <message>
        <source>下载失败，USB被拔出!</source>
        <translation>Download failed: the wheel light was unplugged!</translation>
    </message>
    <message>
        <source>风火轮位置校准成功!</source>
        <translation>Wheel light calibrated!</translation>
    </message>
    <message>
        <source>请输入需要调整的1和90之间的整数角度！</source>
        <translation>Please enter a whole angle between 1 and 90!</translation>
    </message>
    <message>
        <source>请输入需要调整的角度！</source>
        <translation>Please enter the angle to turn!</translation>
    </message>
    <message>
        <source>哎呀，出错啦！请重新启动软件！</source>
        <translation>Oops, something went wrong! Please restart the program!</translation>
    </message>
    <message>
        <source>正在下载图片，请等下载完成后再试！</source>
        <translation>A download is running; please try again when it has finished!</translation>
    </message>
    <message>
        <source>正在校准风火轮，请等校准完成后再试！</source>
        <translation>A calibration is running; please try again when it has finished!</translation>
    </message>
    <message>
        <source>风火轮没有应答，下载失败</source>
        <translation>The wheel light does not answer; download failed</translation>
    </message>
    <message>
        <source>下载失败，风火轮没有应答!</source>
        <translation>Download failed: the wheel light does not answer!</translation>
    </message>
    <message>
        <source>风火轮没有应答，校准失败</source>
        <translation>The wheel light does not answer; calibration failed</translation>
    </message>
    <message>
        <source>校准失败，风火轮没有应答!</source>
        <translation>Calibration failed: the wheel light does not answer!</translation>
    </message>
    <message>
        <source>下载已停止</source>
        <translation>Download stopped</translation>
    </message>
    <message>
        <source>校准已停止</source>
        <translation>Calibration stopped</translation>
    </message>
    <message>
        <source>正在下载图片。现在退出的话，下载会在当前这一步完成后停止：风火轮已确认收到的图片会记录下来，正在写入的那一幅将成为未知。
要停止下载并退出吗？</source>
        <translation>A download is running. If you quit now, it stops once the current step is done: the pictures the wheel light has confirmed are recorded, and the one being written becomes unknown.
Stop the download and quit?</translation>
    </message>
    <message>
        <source>停止下载并退出</source>
        <translation>Stop and quit</translation>
    </message>
    <message>
        <source>继续下载</source>
        <translation>Keep downloading</translation>
    </message>
    <message>
        <source>下载时退出</source>
        <translation>Quit during a download</translation>
    </message>
    <message>
        <source>下载进度:%1%</source>
        <translation>Progress:%1%</translation>
    </message>
    <message>
        <source>您需要调整的角度是:%1  向左调整！</source>
        <translation>The angle to turn is: %1, to the left!</translation>
    </message>
    <message>
        <source>您需要调整的角度是:%1  向右调整！</source>
        <translation>The angle to turn is: %1, to the right!</translation>
    </message>
    <message>
        <source>您需要调整的角度是:%1</source>
        <translation>The angle to turn is: %1</translation>
    </message>
    <message>
        <source>第%1幅</source>
        <translation>Slot %1</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>打开图片(&amp;O)…</source>
        <translation>&amp;Open picture…</translation>
    </message>
    <message>
        <source>最近打开(&amp;R)</source>
        <translation>Open &amp;recent</translation>
    </message>
    <message>
        <source>（无）</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>清除列表(&amp;C)</source>
        <translation>&amp;Clear list</translation>
    </message>
    <message>
        <source>导出预览图(&amp;E)…</source>
        <translation>&amp;Export preview…</translation>
    </message>
    <message>
        <source>退出(&amp;Q)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>图片(&amp;P)</source>
        <translation>&amp;Picture</translation>
    </message>
    <message>
        <source>图片调整(&amp;T)…</source>
        <translation>&amp;Adjust picture…</translation>
    </message>
    <message>
        <source>恢复默认调整(&amp;D)</source>
        <translation>&amp;Reset adjustments</translation>
    </message>
    <message>
        <source>按LED显示(&amp;L)</source>
        <translation>Show &amp;LEDs</translation>
    </message>
    <message>
        <source>设备(&amp;D)</source>
        <translation>&amp;Device</translation>
    </message>
    <message>
        <source>下载(&amp;L)</source>
        <translation>&amp;Download</translation>
    </message>
    <message>
        <source>校准(&amp;C)</source>
        <translation>&amp;Calibrate</translation>
    </message>
    <message>
        <source>恢复出厂设置(&amp;R)</source>
        <translation>&amp;Factory reset</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>关于(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>导出预览图</source>
        <translation>Export preview</translation>
    </message>
    <message>
        <source>内存不足，无法这样调整图片</source>
        <translation>Not enough memory to adjust the picture this way</translation>
    </message>
    <message>
        <source>无法写入预览图“%1”：%2</source>
        <translation>Cannot write the preview "%1": %2</translation>
    </message>
    <message>
        <source>%1-风火轮.png</source>
        <translation>%1-wheel.png</translation>
    </message>
    <message>
        <source>出厂图片</source>
        <translation>Factory picture</translation>
    </message>
    <message>
        <source>文件太大（超过1 MB），不是图片组文件</source>
        <translation>the file is too large for a picture set (over 1 MB)</translation>
    </message>
    <message>
        <source>不是图片组文件</source>
        <translation>not a picture set file</translation>
    </message>
    <message>
        <source>没有有效的版本号</source>
        <translation>no valid version number</translation>
    </message>
    <message>
        <source>mode48只能是true或false</source>
        <translation>"mode48" must be true or false</translation>
    </message>
    <message>
        <source>slots必须是由对象组成的列表</source>
        <translation>"slots" must be a list of objects</translation>
    </message>
    <message>
        <source>无法打开图片组“%1”：%2</source>
        <translation>Cannot open the picture set "%1": %2</translation>
    </message>
    <message>
        <source>无法保存图片组“%1”：%2</source>
        <translation>Cannot save the picture set "%1": %2</translation>
    </message>
    <message>
        <source>风火轮图片记录“%1”已损坏（%2），已改名为“%3”，重新开始记录</source>
        <translation>The record of the wheel light's pictures "%1" was damaged (%2); it was renamed "%3" and a new one started</translation>
    </message>
    <message>
        <source>风火轮图片记录“%1”已损坏（%2），所有位置都算作未知</source>
        <translation>The record of the wheel light's pictures "%1" is damaged (%2); every slot counts as unknown</translation>
    </message>
    <message>
        <source>无法使用风火轮图片记录“%1”：%2。记录保持原样，不再更新</source>
        <translation>Cannot use the record of the wheel light's pictures "%1": %2. It is left as it is and not kept</translation>
    </message>
    <message>
        <source>无法写入风火轮图片记录“%1”：%2。记录可能已经过时</source>
        <translation>Cannot write the record of the wheel light's pictures "%1": %2. The record may now be out of date</translation>
    </message>
    <message>
        <source>是符号链接，不是普通文件</source>
        <translation>it is a symbolic link, not a regular file</translation>
    </message>
    <message>
        <source>是文件夹</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>文件太大</source>
        <translation>it is too large</translation>
    </message>
    <message>
        <source>内容不是本软件写的记录</source>
        <translation>it is not a record this program wrote</translation>
    </message>
    <message>
        <source>被另一个程序锁定</source>
        <translation>it is locked by another program</translation>
    </message>
    <message>
        <source>不是有效的JSON文件（%1）</source>
        <translation>not a valid JSON file (%1)</translation>
    </message>
    <message>
        <source>图片组文件的版本%1比本软件新（本软件只能读取版本1）</source>
        <translation>the picture set's version %1 is newer than this program reads (1)</translation>
    </message>
    <message>
        <source>位置%1不是1到20之间的整数</source>
        <translation>"box" %1 is not a whole number from 1 to 20</translation>
    </message>
    <message>
        <source>第%1幅出现了不止一次</source>
        <translation>slot %1 is listed more than once</translation>
    </message>
    <message>
        <source>第%1幅没有指定图片</source>
        <translation>slot %1 names no picture</translation>
    </message>
    <message>
        <source>第%1幅的图片文件名含有空字符（NUL）</source>
        <translation>slot %1: the picture's name holds a NUL character</translation>
    </message>
    <message>
        <source>第%1幅的旋转角度只能是0、90、180或270</source>
        <translation>slot %1: "rotate" must be 0, 90, 180 or 270</translation>
    </message>
    <message>
        <source>第%1幅的fit只能是stretch、fit或crop</source>
        <translation>slot %1: "fit" must be stretch, fit or crop</translation>
    </message>
    <message>
        <source>第%1幅的阈值只能是auto或0到254之间的整数</source>
        <translation>slot %1: "threshold" must be auto or a whole number from 0 to 254</translation>
    </message>
    <message>
        <source>第%1幅的invert只能是true或false</source>
        <translation>slot %1: "invert" must be true or false</translation>
    </message>
    <message>
        <source>第%1幅的tone只能是threshold、dither或outline</source>
        <translation>slot %1: "tone" must be threshold, dither or outline</translation>
    </message>
    <message>
        <source>图片组(&amp;G)…</source>
        <translation>Picture &amp;sets…</translation>
    </message>
    <message>
        <source>未命名</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>新建</source>
        <translation>New</translation>
    </message>
    <message>
        <source>打开…</source>
        <translation>Open…</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>另存为…</source>
        <translation>Save as…</translation>
    </message>
    <message>
        <source>把轮上的图片存为图片组…</source>
        <translation>Save the wheel's pictures as a set…</translation>
    </message>
    <message>
        <source>48图模式</source>
        <translation>48-picture mode</translation>
    </message>
    <message>
        <source>下载全部</source>
        <translation>Download all</translation>
    </message>
    <message>
        <source>空</source>
        <translation>Empty</translation>
    </message>
    <message>
        <source>拖入图片</source>
        <translation>Drop a picture here</translation>
    </message>
    <message>
        <source>载入中…</source>
        <translation>Loading…</translation>
    </message>
    <message>
        <source>轮上</source>
        <translation>On wheel</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>默认调整</source>
        <translation>no adjustments</translation>
    </message>
    <message>
        <source>完整显示</source>
        <translation>fit whole</translation>
    </message>
    <message>
        <source>裁剪</source>
        <translation>cropped</translation>
    </message>
    <message>
        <source>抖动</source>
        <translation>dithered</translation>
    </message>
    <message>
        <source>轮廓线</source>
        <translation>outlines</translation>
    </message>
    <message>
        <source>反色</source>
        <translation>inverted</translation>
    </message>
    <message>
        <source>选择图片…</source>
        <translation>Choose picture…</translation>
    </message>
    <message>
        <source>调整…</source>
        <translation>Adjust…</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>打开图片组</source>
        <translation>Open picture set</translation>
    </message>
    <message>
        <source>保存图片组</source>
        <translation>Save picture set</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Choose a picture</translation>
    </message>
    <message>
        <source>把轮上的图片存为图片组</source>
        <translation>Save the wheel's pictures as a set</translation>
    </message>
    <message>
        <source>图片组(*.wheelset) (*.wheelset)</source>
        <translation>Picture sets (*.wheelset)</translation>
    </message>
    <message>
        <source>风火轮上的图片</source>
        <translation>On the wheel light</translation>
    </message>
    <message>
        <source>不保存</source>
        <translation>Don't save</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>下载其余的图片</source>
        <translation>Download the others</translation>
    </message>
    <message>
        <source>替换</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>图片组里还没有图片！</source>
        <translation>The picture set has no pictures yet!</translation>
    </message>
    <message>
        <source>图片组的图片都无法载入，没有可以下载的图片！</source>
        <translation>None of the set's pictures can be loaded; there is nothing to download!</translation>
    </message>
    <message>
        <source>还不知道风火轮上有哪些图片：只有本软件下载、风火轮确认收到的图片才有记录。</source>
        <translation>It is not known yet what the wheel light holds: only pictures this program downloaded and the wheel light confirmed are recorded.</translation>
    </message>
    <message>
        <source>%1 - 图片组</source>
        <translation>%1 - Picture set</translation>
    </message>
    <message>
        <source>正在载入图片：%1/%2</source>
        <translation>Loading pictures: %1/%2</translation>
    </message>
    <message>
        <source>已保存“%1”</source>
        <translation>Saved "%1"</translation>
    </message>
    <message>
        <source>轮上的图片：%1（%2）</source>
        <translation>On the wheel: %1 (%2)</translation>
    </message>
    <message>
        <source>旋转%1°</source>
        <translation>turned %1°</translation>
    </message>
    <message>
        <source>阈值%1</source>
        <translation>threshold %1</translation>
    </message>
    <message>
        <source>图片组“%1”有没有保存的修改，要保存吗？</source>
        <translation>The picture set "%1" has unsaved changes. Save them?</translation>
    </message>
    <message>
        <source>以下位置的图片无法载入，下载时将跳过：
%1
仍然下载其余的图片吗？</source>
        <translation>The pictures of these slots cannot be loaded and will be skipped:
%1
Download the others anyway?</translation>
    </message>
    <message>
        <source>以下文件已经存在，要替换吗？
%1</source>
        <translation>These files exist already. Replace them?
%1</translation>
    </message>
    <message>
        <source>从第%1幅起的空位放不下所有图片，以下图片没有放入：
%2</source>
        <translation>Not enough empty slots in a row from slot %1; these pictures were not put in:
%2</translation>
    </message>
    <message>
        <source>第%1幅的图片调整</source>
        <translation>Adjust slot %1</translation>
    </message>
    <message>
        <source>第%1幅：%2</source>
        <translation>Slot %1: %2</translation>
    </message>
    <message>
        <source>主菜单</source>
        <translation>Main menu</translation>
    </message>
    <message>
        <source>DIY画图(&amp;Y)…</source>
        <translation>&amp;DIY drawing…</translation>
    </message>
    <message>
        <source>原图</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>风火轮效果</source>
        <translation>On the wheel</translation>
    </message>
    <message>
        <source>轮上的图片</source>
        <translation>What the wheel light holds</translation>
    </message>
    <message>
        <source>下载进度</source>
        <translation>Download progress</translation>
    </message>
    <message>
        <source>回车键或空格键选择图片，Delete键清除，菜单键打开菜单，方向键换到别的位置；也可以把图片文件拖到这里</source>
        <translation>Enter or Space chooses a picture, Delete clears the slot, the Menu key opens its menu and the arrow keys move to another slot; picture files can also be dropped here</translation>
    </message>
    <message>
        <source>第%1幅：%2，轮上：%3</source>
        <translation>Slot %1: %2, on the wheel: %3</translation>
    </message>
</context>
</TS>
