<?xml version="1.0" encoding="UTF-8"?>
<!-- The cover first: the front cover fills the height of the details panel ("pageheight") on the left,
     and the data sits beside it in a column whose width follows "pagewidth". Suits large panels and
     collections with good cover pictures. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="Include/detailparts.xsl"/>
  <xsl:output method="html" encoding="UTF-8"/>

  <xsl:param name="pagewidth" select="600"/>
  <xsl:param name="pageheight" select="400"/>

  <!-- The cover's height: the panel's, less the page margins, within sensible bounds. -->
  <xsl:variable name="coverheight">
    <xsl:choose>
      <xsl:when test="$pageheight - 20 &lt; 160">160</xsl:when>
      <xsl:when test="$pageheight - 20 &gt; 1000">1000</xsl:when>
      <xsl:otherwise><xsl:value-of select="floor($pageheight - 20)"/></xsl:otherwise>
    </xsl:choose>
  </xsl:variable>

  <xsl:template match="/">
    <html>
      <head>
        <style type="text/css">
          body { font-family: serif; font-size: 10pt; color: #2b2118; background-color: #fbf8f2; }
          .title { font-size: 20pt; color: #5a2d0c; }
          .subtitle { font-size: 12pt; font-style: italic; color: #7a5a3a; }
          .byline { font-size: 12pt; }
          .label { color: #8c7a66; padding-right: 12px; font-family: sans-serif; font-size: 8pt; }
          .value { }
          .dim { color: #9c8a76; }
          .stars { color: #b8860b; font-size: 12pt; }
          .heading { font-family: sans-serif; font-size: 8pt; font-weight: bold; color: #5a2d0c;
                     margin-top: 12px; margin-bottom: 2px; }
          .text { margin-top: 0px; }
          .head { background-color: #efe5d5; color: #5a2d0c; font-family: sans-serif; font-size: 8pt; }
          .even { background-color: #f5efe4; }
          .loan { background-color: #f6e7b8; font-family: sans-serif; }
          .overdue { background-color: #f4c7bd; color: #7a1a0a; }
        </style>
      </head>
      <body>
        <xsl:apply-templates select="bookinfo/booklist/book"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="book">
    <xsl:variable name="main" select="mainsection"/>
    <table width="99%" cellspacing="0" cellpadding="0">
      <tr>
        <xsl:if test="coverfront">
        <td valign="top" width="{floor($coverheight * 2 div 3) + 16}">
          <img src="{coverfront}" height="{$coverheight}"/>
        </td>
        </xsl:if>
        <td valign="top">
          <p style="margin-top: 0px; margin-bottom: 2px;"><span class="title"><xsl:value-of select="$main/title"/></span></p>
          <xsl:if test="$main/subtitle">
            <p style="margin-top: 0px; margin-bottom: 4px;"><span class="subtitle"><xsl:value-of select="$main/subtitle"/></span></p>
          </xsl:if>
          <xsl:if test="$main/credits/credit[role = 'Author']">
            <p class="byline" style="margin-top: 4px; margin-bottom: 4px;"><xsl:for-each select="$main/credits/credit[role = 'Author']">
              <xsl:value-of select="person/displayname"/><xsl:if test="position() != last()">, </xsl:if>
            </xsl:for-each></p>
          </xsl:if>
          <xsl:if test="$main/series">
            <p class="dim" style="margin-top: 0px; margin-bottom: 4px;"><xsl:call-template name="series-text">
              <xsl:with-param name="book" select="."/></xsl:call-template></p>
          </xsl:if>
          <xsl:if test="$main/myrating">
            <p style="margin-top: 0px; margin-bottom: 6px;"><xsl:call-template name="stars">
              <xsl:with-param name="rating" select="$main/myrating"/></xsl:call-template></p>
          </xsl:if>
          <xsl:call-template name="loan-box"><xsl:with-param name="book" select="."/></xsl:call-template>
          <table cellspacing="0" cellpadding="1">
            <xsl:call-template name="credit-rows"><xsl:with-param name="credits" select="$main/credits"/></xsl:call-template>
            <xsl:call-template name="edition-rows"><xsl:with-param name="book" select="."/></xsl:call-template>
            <xsl:call-template name="url-row"><xsl:with-param name="book" select="."/></xsl:call-template>
          </table>
          <p class="heading">THIS COPY</p>
          <table cellspacing="0" cellpadding="1">
            <xsl:call-template name="copy-rows"><xsl:with-param name="book" select="."/></xsl:call-template>
            <xsl:call-template name="original-rows"><xsl:with-param name="book" select="."/></xsl:call-template>
          </table>
          <xsl:call-template name="text-block"><xsl:with-param name="name" select="'Plot'"/>
            <xsl:with-param name="text" select="$main/plot"/></xsl:call-template>
          <xsl:call-template name="text-block"><xsl:with-param name="name" select="'Notes'"/>
            <xsl:with-param name="text" select="$main/notes"/></xsl:call-template>
          <xsl:call-template name="text-block"><xsl:with-param name="name" select="'Dedication'"/>
            <xsl:with-param name="text" select="dedication"/></xsl:call-template>
        </td>
      </tr>
    </table>
    <xsl:if test="sections/section">
      <p class="heading">CONTENTS</p>
      <xsl:call-template name="sections-table"><xsl:with-param name="book" select="."/></xsl:call-template>
    </xsl:if>
    <xsl:if test="coverback">
      <p class="heading"><xsl:call-template name="label"><xsl:with-param name="name" select="'Back Cover'"/></xsl:call-template></p>
      <img src="{coverback}" height="{floor($coverheight div 2)}"/>
    </xsl:if>
  </xsl:template>
</xsl:stylesheet>
